#pragma once
// CChildNode: a node below another one in the interface tree. Its parent
// link is a counted reference, set when the parent creates the node and
// released when the parent lets it go; its root link (CNode) leads to the
// driver. Whoever owns the child changes the links under the child's own
// lock (see CRepCap).

#include "driver/node.h"
#include "driver/node_ref.h"

namespace korvane {

class CChildNode : public CNode {
 public:
  CNode* Parent() const { return parent_.Get(); }
  void SetParent(CNode* parent) { parent_ = NodeRef<CNode>(parent); }

 private:
  NodeRef<CNode> parent_;
};

}  // namespace korvane
