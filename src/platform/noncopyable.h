// A base for objects that own something that cannot be shared: a pipeline,
// a graph, the frames of a window. They are moved by pointer, never copied.
#pragma once

class NonCopyable {
 public:
  NonCopyable(const NonCopyable&) = delete;
  NonCopyable& operator=(const NonCopyable&) = delete;

 protected:
  NonCopyable() = default;
  ~NonCopyable() = default;
};
