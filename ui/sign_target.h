#pragma once

#include <QComboBox>
#include <QListWidget>
#include <QPointer>
#include <QWidget>
#include <string>
#include <vector>

#include "signlink/sign_book.h"

namespace tavrin {

// Where a panel's command goes: by default to the port of the communication settings and the
// panel's own Sign ID list, as it always went; or to signs of the user's list, one, all, or
// several ticked in a list, each with its own ID (the panel's Sign ID list is then disabled).
// Shown only while the list holds a sign, so that without one the panel is as it always was;
// it follows every change of the list, keeping what was chosen where that is still there.
class SignTargetChooser : public QWidget {
  Q_OBJECT
 public:
  // OneSign offers the default and single signs only (Set ID); PrintQueues only the signs
  // behind a print queue (Send via Network), and is shown only while there is one.
  enum class Reach { Several, OneSign, PrintQueues };

  // The chooser goes into a panel above its Sign ID list `signIds` (not owned); the book must
  // outlive it.
  SignTargetChooser(SignBook& book, QComboBox* signIds, QWidget* parent,
                    Reach reach = Reach::Several);
  ~SignTargetChooser() override;

  // True when the command goes to the settings' port and the panel's ID.
  bool IsDefault() const;
  // The signs chosen, in the list's order; empty for the default (and for "Several signs"
  // with none ticked).
  std::vector<NamedSign> Chosen() const;

  // For tests and the gallery: the default (empty name), one sign by name, or every sign.
  void ChooseDefault();
  void ChooseSign(const std::string& name);
  void ChooseAll();
  // "Several signs", these ticked.
  void ChooseSeveral(const std::vector<std::string>& names);

 signals:
  void targetChanged();

 private:
  enum Kind { kDefault, kOne, kAll, kSeveral };
  void Refill();
  void Follow();
  Kind ChosenKind() const;
  // The signs of the book this chooser offers.
  std::vector<NamedSign> Offered() const;

  SignBook& m_book;
  Reach m_reach;
  int m_listener = -1;
  QPointer<QComboBox> m_signIds;
  QComboBox* m_targets = nullptr;
  QListWidget* m_checks = nullptr;
};

}  // namespace tavrin
