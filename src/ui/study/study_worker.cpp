#include "ui/study/study_worker.h"

#include <QMetaObject>
#include <exception>

namespace curvalis {
namespace {

class Missing : public study::ExactEngine {
 public:
  explicit Missing(std::string reason) : m_reason(std::move(reason)) {}
  study::Answer<study::Expr> SetFunction(std::string_view) override { return no<study::Expr>(); }
  study::Answer<study::Expr> Derivative(study::Which) override { return no<study::Expr>(); }
  study::Answer<study::Domain> DomainOf(study::Which) override { return no<study::Domain>(); }
  study::Answer<std::vector<study::Number>> Solve(study::Which) override {
    return no<std::vector<study::Number>>();
  }
  study::Answer<std::optional<study::Number>> Limit(study::Which, const study::Number&,
                                                    study::Approach) override {
    return no<std::optional<study::Number>>();
  }
  study::Answer<std::optional<study::Line>> Asymptote(bool) override {
    return no<std::optional<study::Line>>();
  }
  study::Answer<study::Symmetry> SymmetryOf() override { return no<study::Symmetry>(); }
  study::Answer<study::Number> ValueAt(study::Which, const study::Number&) override {
    return no<study::Number>();
  }

 private:
  template <typename T>
  study::Answer<T> no() const {
    study::Answer<T> a;
    a.reason = m_reason;
    return a;
  }
  std::string m_reason;
};

}  // namespace

std::unique_ptr<study::ExactEngine> MissingEngine(std::string reason) {
  return std::make_unique<Missing>(std::move(reason));
}

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
      if (!m_engine) m_engine = MissingEngine(std::string(study::kEngineUnavailable));
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
