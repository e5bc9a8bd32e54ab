#include "ui/command_runner.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

namespace tavrin {

namespace {

class ButtonHolder : public CommandWatcher {
 public:
  ButtonHolder(QPushButton* button, CommandWatcher* also) : m_button(button), m_also(also) {}
  void LinkOpened() override {
    if (m_button) m_button->setEnabled(false);
    if (m_also != nullptr) m_also->LinkOpened();
  }
  void StepAccepted(std::size_t step) override {
    if (m_also != nullptr) m_also->StepAccepted(step);
  }
  void LinkClosed(bool completed) override {
    if (m_button) m_button->setEnabled(true);
    if (m_also != nullptr) m_also->LinkClosed(completed);
  }

 private:
  QPointer<QPushButton> m_button;
  CommandWatcher* m_also;
};

}  // namespace

void QtWaiter::WaitMs(int ms) {
  QEventLoop loop;
  QTimer::singleShot(ms, Qt::PreciseTimer, &loop, &QEventLoop::quit);
  loop.exec();
}

void KeepWindowsResponsive(SignLink& link) {
  link.SetIdle([] { QCoreApplication::processEvents(QEventLoop::AllEvents); });
}

void ProgressBarSink::SetMaximum(int maximum) {
  if (m_bar) m_bar->setMaximum(maximum);
}

void ProgressBarSink::SetPosition(int position) {
  if (!m_bar) return;
  m_bar->setValue(position);
  // The frame goes out in one write: let the bar show as it moves.
  QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

PlanResult RunHoldingButton(SignRoad& road, const SignPlan& plan, QPushButton* button,
                            ProgressSink* progress, CommandWatcher* also) {
  ButtonHolder holder(button, also);
  return road.Run(plan, progress, &holder);
}

}  // namespace tavrin
