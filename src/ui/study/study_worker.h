// Builds study sheets on a thread of its own, one at a time, so that the windows stay usable
// while the exact engine answers. A new study abandons the one in progress: that one stops at
// its next question and nothing more of it is told. The engine is made on the worker's thread
// at the first study and kept (warm) for the next ones.
#pragma once

#include <QObject>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "study/sheet.h"

namespace curvalis {

class StudyWorker : public QObject {
  Q_OBJECT
 public:
  using EngineFactory = std::function<std::unique_ptr<study::ExactEngine>()>;

  // `factory` makes the engine (on the worker's thread); without one, or when it makes none,
  // every question is answered "motore di calcolo esatto non disponibile".
  explicit StudyWorker(EngineFactory factory, QObject* parent = nullptr);
  // Abandons the study in progress and waits for its current question to end.
  ~StudyWorker() override;
  StudyWorker(const StudyWorker&) = delete;
  StudyWorker& operator=(const StudyWorker&) = delete;

  // Starts the study of `funzione`, abandoning any other; returns its number.
  std::uint64_t start(const std::string& funzione);
  // The number of the study whose answers are told.
  std::uint64_t current() const { return m_current; }

 signals:
  // On the thread of this object, for the current study only: a section is ready (`sheet` as
  // it stands then), and the sheet is finished.
  void sectionReady(const study::Sheet& sheet, int section);
  void finished(const study::Sheet& sheet);

 private:
  struct Job {
    std::uint64_t number = 0;
    std::string funzione;
    std::shared_ptr<std::atomic<bool>> cancel;
  };
  class Observer;

  void run();
  // Hands a copy of `sheet` to this object's thread, where it is told if `number` is still
  // the current study; `section` empty: the sheet is finished.
  void post(std::uint64_t number, const study::Sheet& sheet, std::optional<study::SectionId> id);

  EngineFactory m_factory;
  std::unique_ptr<study::ExactEngine> m_engine;  // the worker thread's only
  std::uint64_t m_current = 0;                   // this object's thread only

  std::mutex m_mutex;
  std::condition_variable m_wake;
  std::optional<Job> m_pending;
  std::shared_ptr<std::atomic<bool>> m_running;  // the cancel flag of the study in progress
  bool m_stop = false;
  std::thread m_thread;
};

}  // namespace curvalis
