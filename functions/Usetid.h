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

#include "print/raw_print.h"
#include "signlink/sign_plan.h"
#include "ui/window_context.h"

class QPrinter;

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
  void FormActivate();
  void Timer1Timer();
  void MaskEdit1KeyUp();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  bool event(QEvent* event) override;

 private:
  QWidget* MakePanel(const char* name);
  // Starts a command with its confirming button held down while the port is open.
  void Run(QPushButton* button, SignPlan plan);

  WindowContext& m_context;
  Panel m_panel = Panel::Id;
  // Shows the system print dialog; true when the user chose a printer.
  bool ChoosePrinterInDialog(Spooler& spooler);

  QWidget* m_panels[6] = {};
  QComboBox* m_comboBox1 = nullptr;   // new ID
  QComboBox* m_comboBox2 = nullptr;   // clock: sign ID
  QComboBox* m_comboBox3 = nullptr;   // run page: sign ID
  QComboBox* m_comboBox4 = nullptr;   // run page: page
  QComboBox* m_comboBox5 = nullptr;   // send: sign ID
  QComboBox* m_comboBox6 = nullptr;   // send: page
  QComboBox* m_comboBox7 = nullptr;   // brightness: sign ID
  QComboBox* m_comboBox8 = nullptr;   // brightness level
  QComboBox* m_comboBox9 = nullptr;   // network: sign ID
  QComboBox* m_comboBox10 = nullptr;  // network: page
  QDateEdit* m_dateTimePicker1 = nullptr;
  QLineEdit* m_maskEdit1 = nullptr;
  QProgressBar* m_progressBar1 = nullptr;
  QPushButton* m_ok = nullptr;
  QPushButton* m_dateTimeOk = nullptr;
  QPushButton* m_brightOk = nullptr;
  QPushButton* m_runPageButton = nullptr;
  QPushButton* m_sendMessButton = nullptr;
  QPushButton* m_sendViaNetOk = nullptr;
  Spooler* m_spooler = nullptr;
  std::function<bool(Spooler&)> m_choosePrinter;
  // The application's printer: the print dialog starts from the last choice.
  std::unique_ptr<QPrinter> m_printer;
  QTimer* m_timer1 = nullptr;
  int m_caretAtMouseDown = 0;
  // Counts the panels shown, so that a command's end knows whether its panel is still up.
  int m_shown = 0;
  int m_selectionAtMouseUp = 0;
};

}  // namespace tavrin
