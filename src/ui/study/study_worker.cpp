#include "ui/study/study_worker.h"

#include <QMetaObject>
#include <exception>

#include "exact_engine/engine.h"

namespace curvalis {
class StudyWorker::Observer : public study::SheetObserver {
 public:
  Observer(StudyWorker& worker, std::uint64_t number) : m_worker(worker), m_number(number) {}
  void SectionReady(const study::Sheet& sheet, study::SectionId id) override {
    m_worker.post(m_number, sheet, id);
  }
  void Finished(const study::Sheet& sheet) override { m_worker.post(m_number, sheet, {}); }

 private:
  StudyWorker& m_worker;
  std::uint64_t m_number;
};

StudyWorker::StudyWorker(EngineFactory factory, QObject* parent)
    : QObject(parent), m_factory(std::move(factory)) {
  m_thread = std::thread([this] { run(); });
}

StudyWorker::~StudyWorker() {
  {
    std::lock_guard lock(m_mutex);
    m_stop = true;
    m_pending.reset();
    if (m_running) *m_running = true;
  }
  m_wake.notify_all();
  m_thread.join();
}

std::uint64_t StudyWorker::start(const std::string& funzione) {
  const std::uint64_t number = ++m_current;
  {
    std::lock_guard lock(m_mutex);
    if (m_running) *m_running = true;  // the study in progress stops at its next question
    m_pending = Job{number, funzione, std::make_shared<std::atomic<bool>>(false)};
  }
  m_wake.notify_all();
  return number;
}

void StudyWorker::post(std::uint64_t number, const study::Sheet& sheet,
                       std::optional<study::SectionId> id) {
  // Queued to this object: when it is gone, the call is dropped with it.
  QMetaObject::invokeMethod(
      this,
      [this, number, copy = sheet, id] {
        if (number != m_current) return;  // an abandoned study's late answer
        if (id) {
          emit sectionReady(copy, int(*id));
        } else {
          emit finished(copy);
        }
      },
      Qt::QueuedConnection);
}

void StudyWorker::run() {
  for (;;) {
    Job job;
    {
      std::unique_lock lock(m_mutex);
      m_wake.wait(lock, [this] { return m_stop || m_pending.has_value(); });
      if (m_stop) return;
      job = std::move(*m_pending);
      m_pending.reset();
      m_running = job.cancel;
    }
    if (!m_engine) {
      try {
        if (m_factory) m_engine = m_factory();
      } catch (const std::exception&) {
      }
      if (!m_engine) m_engine = study::MakeUnavailableEngine();
    }
    Observer observer(*this, job.number);
    try {
      study::BuildSheet(*m_engine, job.funzione, &observer, job.cancel.get());
    } catch (const std::exception& e) {
      // The sheet says what went wrong instead of ending the program.
      study::Sheet failed;
      failed.rejected = std::string("errore nel calcolo dello studio: ") + e.what();
      post(job.number, failed, {});
    }
    std::lock_guard lock(m_mutex);
    m_running.reset();
  }
}

}  // namespace curvalis
