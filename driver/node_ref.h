#pragma once
// NodeRef<Node>: a counted reference that one node of the interface tree holds
// on another (an item on its driver and parent, the driver on its items, an
// item call on its driver). These references keep the referenced object
// alive but are not a client's references: the driver's last client release
// runs its final release whatever its items still hold (see ComObject).
//
// Node must be complete wherever a NodeRef<Node> is copied or destroyed.

#include <cstddef>
#include <utility>

namespace korvane {

template <class Node>
class NodeRef {
 public:
  NodeRef() = default;
  NodeRef(std::nullptr_t) {}
  // Takes a new reference to `node`.
  explicit NodeRef(Node* node) : node_(node) {
    if (node_) node_->AddRefInternal();
  }
  NodeRef(const NodeRef& other) : NodeRef(other.node_) {}
  NodeRef(NodeRef&& other) noexcept : node_(std::exchange(other.node_, nullptr)) {}
  NodeRef& operator=(NodeRef other) noexcept {
    std::swap(node_, other.node_);
    return *this;
  }
  ~NodeRef() { Reset(); }

  // Adopts a reference that the caller hands over.
  static NodeRef Adopt(Node* node) {
    NodeRef result;
    result.node_ = node;
    return result;
  }

  void Reset() {
    if (Node* node = std::exchange(node_, nullptr)) node->ReleaseInternal();
  }
  Node* Get() const { return node_; }
  Node* operator->() const { return node_; }
  Node& operator*() const { return *node_; }
  explicit operator bool() const { return node_ != nullptr; }

 private:
  Node* node_ = nullptr;
};

}  // namespace korvane
