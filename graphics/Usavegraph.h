#pragma once

#include <QComboBox>
#include <QDialog>
#include <string>

namespace tavrin {

// The graphic name chooser of Save: "G01" to "G16". It lives for the whole run, so the last
// choice is offered again the next time.
class TSelectGaphName : public QDialog {
  Q_OBJECT
 public:
  explicit TSelectGaphName(QWidget* parent = nullptr);

  // The position of the entry chosen with OK (its tag); 0 until the first OK.
  int Tag() const { return m_tag; }
  // The name at the position of the tag.
  std::string SelectedName() const;

  void OKClick();

 private:
  QComboBox* m_names = nullptr;  // ComboBox1: "G01" to "G16"
  int m_tag = 0;
};

}  // namespace tavrin
