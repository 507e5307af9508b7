// The singly linked lists a graph keeps its children in: nodes of (next,
// child); the graph owns the nodes, never the children.
#ifndef VARKO_XY_XYLIST_H
#define VARKO_XY_XYLIST_H

template <class T>
struct XYListNode {
  XYListNode* next;
  T* child;
};

#endif
