#pragma once

#include <QComboBox>
#include <QDateEdit>
#include <QDialog>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <functional>
#include <memory>

#include "functions/printer_chooser.h"
#include "print/raw_print.h"
#include "signlink/sign_plan.h"
#include "signlink/sign_targets.h"
#include "ui/sign_target.h"
#include "ui/window_context.h"

namespace tavrin {

// The sign functions dialog: one panel at a time for Set ID, Set Clock, Set Brightness, Run
// Page, Send Message and Send via Network. It lives for the whole run, so its selections stay.
class TSetID : public QDialog {
  Q_OBJECT
 public:
  enum class Panel { Id, Clock, RunPage, SendMessage, Bright, SendViaNet };

  explicit TSetID(WindowContext& context);
  ~TSetID() override;

  // Hides every panel, shows one with its caption and focus; Show... also runs the dialog.
  void PreparePanel(Panel panel);
  void ShowPanel(Panel panel);

  void OKClick();              // Set ID
  void DateTimeOKClick();      // Set Clock
  void BrightOkClick();        // Set Brightness
  void RunPageButtonClick();   // Run Page
  void SendMessButtonClick();  // Send Message
  // Send via Network, the toolbar button: the panel, the print dialog, then one raw job.
  void ToolButton12Click();

  // The spooler of Send via Network (not owned), and the print dialog that chooses its
  // printer: true when the user chose one, which is then the spooler's current printer.
  // Without a chooser the system print dialog is shown.
  void SetPrinting(Spooler* spooler, std::function<bool(Spooler&)> choosePrinter = {});
  // Makes the spooler of a job for a sign behind a print queue (each job its own, as they may
  // run at the same time); the system's spooler but for tests.
  void SetSpoolerMaker(std::function<std::shared_ptr<Spooler>()> make) {
    m_makeSpooler = std::move(make);
  }
  void FormActivate();
  void Timer1Timer();
  void MaskEdit1KeyUp();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  bool event(QEvent* event) override;

 private:
  QWidget* MakePanel(const char* name);
  // One builder a panel; each returns its panel with its controls made and wired.
  QWidget* BuildIdPanel();
  QWidget* BuildClockPanel();
  QWidget* BuildRunPagePanel();
  QWidget* BuildSendPanel();
  QWidget* BuildBrightnessPanel();
  QWidget* BuildNetworkPanel();
  // Starts a panel's command for its target, with its confirming button held down while a
  // port is open; `planFor` makes the plan for a sign ID.
  void Run(SignTargetChooser* target, QComboBox* signIds, QPushButton* button,
           const std::function<SignPlan(std::uint8_t)>& planFor);
  // A sent message as a print job, for a sign behind a print queue.
  QueueJobFor PrintJobs(const std::string& line, char page);
  void SendViaNetworkTo(const std::vector<NamedSign>& signs);

  WindowContext& m_context;
  Panel m_panel = Panel::Id;
  // Shows the system print dialog; true when the user chose a printer.
  bool ChoosePrinterInDialog(Spooler& spooler);

  QWidget* m_panels[6] = {};
  QComboBox* m_newIds = nullptr;
  QComboBox* m_clockSignIds = nullptr;
  QComboBox* m_runSignIds = nullptr;
  QComboBox* m_runPages = nullptr;
  QComboBox* m_sendSignIds = nullptr;
  QComboBox* m_sendPages = nullptr;
  QComboBox* m_brightSignIds = nullptr;
  QComboBox* m_brightLevels = nullptr;
  QComboBox* m_netSignIds = nullptr;
  QComboBox* m_netPages = nullptr;
  QDateEdit* m_clockDate = nullptr;
  QLineEdit* m_clockTime = nullptr;
  QProgressBar* m_sendProgress = nullptr;
  QPushButton* m_setIdOk = nullptr;
  QPushButton* m_clockOk = nullptr;
  QPushButton* m_brightOk = nullptr;
  QPushButton* m_runPageOk = nullptr;
  QPushButton* m_sendOk = nullptr;
  QPushButton* m_netOk = nullptr;
  SignTargetChooser* m_idTarget = nullptr;
  SignTargetChooser* m_clockTarget = nullptr;
  SignTargetChooser* m_runTarget = nullptr;
  SignTargetChooser* m_sendTarget = nullptr;
  SignTargetChooser* m_brightTarget = nullptr;
  SignTargetChooser* m_netTarget = nullptr;
  std::function<std::shared_ptr<Spooler>()> m_makeSpooler;
  Spooler* m_spooler = nullptr;
  std::function<bool(Spooler&)> m_choosePrinter;
  // The application's printer: the print dialog starts from the last choice.
  std::unique_ptr<PrinterChooser> m_printerChooser;  // loaded with the first print dialog
  QTimer* m_clockTick = nullptr;
  int m_caretAtMouseDown = 0;
  // Counts the panels shown, so that a command's end knows whether its panel is still up.
  int m_shown = 0;
  int m_selectionAtMouseUp = 0;
};

}  // namespace tavrin
