#pragma once
// Events posted by the worker reach the window through Qt's event queue,
// whose locks ThreadSanitizer cannot see (Qt is not built with it). Posting
// marks the event released and the receiver marks it acquired, which states
// what the queue guarantees: the window reads an event only after the worker
// has filled it. Without ThreadSanitizer these are plain posts.

#include <QCoreApplication>
#include <QEvent>

#if defined(__SANITIZE_THREAD__)
#define TALVIR_THREAD_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(thread_sanitizer)
#define TALVIR_THREAD_SANITIZER 1
#endif
#endif

#ifdef TALVIR_THREAD_SANITIZER
extern "C" void __tsan_acquire(void* address);
extern "C" void __tsan_release(void* address);
#endif

namespace talvir {

// Takes ownership of event, as QCoreApplication::postEvent does.
inline void PostAcrossThreads(QObject& receiver, QEvent* event) {
#ifdef TALVIR_THREAD_SANITIZER
  __tsan_release(event);
#endif
  QCoreApplication::postEvent(&receiver, event);
}

// The receiver's side, before it reads the event, even its type; harmless
// for events that did not cross.
inline void TakeFromOtherThread([[maybe_unused]] QEvent* event) {
#ifdef TALVIR_THREAD_SANITIZER
  __tsan_acquire(event);
#endif
}

}  // namespace talvir
