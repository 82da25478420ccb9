#pragma once
// CNode: the base of every interface node (the driver and its repeated-
// capability items). A node reaches the session state, the error reporter and
// the trace log through its root, the driver.

#include <functional>

#include "diag/attribute_cache.h"
#include "platform/ole_string.h"
#include "diag/error_reporter.h"
#include "platform/win32.h"

namespace korvane {

class CDriver;

class CNode {
 public:
  CNode() = default;
  virtual ~CNode() = default;
  CNode(const CNode&) = delete;  // nodes are linked into a tree by address
  CNode& operator=(const CNode&) = delete;

  // Lifecycle hooks, run on every node of the tree by the driver.
  virtual HRESULT OnInitialized() { return S_OK; }
  virtual void OnClose() {}
  virtual void OnReset() {}

  void SetRoot(CDriver* root) { root_ = root; }
  CDriver* Root() const { return root_; }

  // The counted references that nodes hold on each other (NodeRef). Every
  // node is a COM object (ComObject<T>), which implements them.
  virtual ULONG AddRefInternal() = 0;
  virtual ULONG ReleaseInternal() = 0;

  // The node's name in the tree: empty but for repeated-capability items.
  virtual OleString GetFullName() { return {}; }

  // The driver's reporter, also for child nodes (through their root); and
  // the node-level forms of its two generic operations.
  virtual CKorvaneErrorReporter& GetErrorReporter() const;
  HRESULT ReportError(MessageId id, std::initializer_list<const OLECHAR*> inserts = {}) const;
  HRESULT ReportErrorWithInfo(MessageId id, const OLECHAR* additionalInformation,
                              std::initializer_list<const OLECHAR*> inserts = {}) const;

  AttributeCacheTable& AttributeCache() { return attributeCache_; }

  // The nodes below this one, for the depth-first walks of the lifecycle.
  virtual void ForEachChild(const std::function<void(CNode&)>& visit) { (void)visit; }

  // Depth-first walks: OnClose on a node's children before the node; OnReset
  // on a node before its children; every attribute-cache entry invalidated.
  void CloseTree();
  void ResetTree();
  void InvalidateCacheTree();

 private:
  CDriver* root_ = nullptr;
  AttributeCacheTable attributeCache_;
};

}  // namespace korvane
