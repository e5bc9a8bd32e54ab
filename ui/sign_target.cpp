#include "ui/sign_target.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>
#include <set>

#include "common/bytes.h"
#include "ui/controls.h"

namespace tavrin {

namespace {

constexpr int kKindRole = Qt::UserRole;
constexpr int kNameRole = Qt::UserRole + 1;

QString Described(const NamedSign& sign) {
  return FromUtf8(sign.name + "  (" + sign.address.Text() + ", ID " + HexByte(sign.id) + ")");
}

}  // namespace

SignTargetChooser::SignTargetChooser(SignBook& book, QComboBox* signIds, QWidget* parent,
                                     Reach reach)
    : QWidget(parent), m_book(book), m_reach(reach), m_signIds(signIds) {
  setObjectName("SignTarget");
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  m_targets = new QComboBox(this);
  m_targets->setObjectName("SignTargetList");
  // The whole name and address of each sign show, the panel widening for them.
  m_targets->setSizeAdjustPolicy(QComboBox::AdjustToContents);
  MakePickOnly(m_targets);
  auto* label = new QLabel("Send to:", this);
  label->setBuddy(m_targets);
  auto* row = new QHBoxLayout;
  row->addWidget(label);
  row->addWidget(m_targets, 1);
  layout->addLayout(row);
  m_checks = new QListWidget(this);
  m_checks->setObjectName("SignTargetChecks");
  // A few rows show; a longer list scrolls.
  m_checks->setMaximumHeight(m_checks->fontMetrics().height() * 5 + 8);
  m_checks->hide();
  layout->addWidget(m_checks);
  connect(m_targets, &QComboBox::currentIndexChanged, this, &SignTargetChooser::Follow);
  connect(m_checks, &QListWidget::itemChanged, this, &SignTargetChooser::targetChanged);
  m_listener = m_book.Listen([this] { Refill(); });
  Refill();
}

SignTargetChooser::~SignTargetChooser() { m_book.Forget(m_listener); }

SignTargetChooser::Kind SignTargetChooser::ChosenKind() const {
  return static_cast<Kind>(m_targets->currentData(kKindRole).toInt());
}

bool SignTargetChooser::IsDefault() const { return Offered().empty() || ChosenKind() == kDefault; }

std::vector<NamedSign> SignTargetChooser::Offered() const {
  if (m_reach != Reach::PrintQueues) return m_book.Signs();
  std::vector<NamedSign> queues;
  for (const NamedSign& sign : m_book.Signs()) {
    if (sign.address.kind == SignAddress::Kind::Queue) queues.push_back(sign);
  }
  return queues;
}

std::vector<NamedSign> SignTargetChooser::Chosen() const {
  if (IsDefault()) return {};
  switch (ChosenKind()) {
    case kOne: {
      const NamedSign* sign =
          m_book.List().Find(ToUtf8(m_targets->currentData(kNameRole).toString()));
      return sign ? std::vector<NamedSign>{*sign} : std::vector<NamedSign>{};
    }
    case kAll:
      return Offered();
    case kSeveral: {
      std::vector<NamedSign> chosen;
      for (int i = 0; i < m_checks->count(); ++i) {
        if (m_checks->item(i)->checkState() != Qt::Checked) continue;
        const NamedSign* sign =
            m_book.List().Find(ToUtf8(m_checks->item(i)->data(kNameRole).toString()));
        if (sign) chosen.push_back(*sign);
      }
      return chosen;
    }
    case kDefault:
      break;
  }
  return {};
}

void SignTargetChooser::Refill() {
  const Kind kind = m_targets->count() > 0 ? ChosenKind() : kDefault;
  const QString name = m_targets->currentData(kNameRole).toString();
  std::set<QString> ticked;
  for (int i = 0; i < m_checks->count(); ++i) {
    if (m_checks->item(i)->checkState() == Qt::Checked) {
      ticked.insert(m_checks->item(i)->data(kNameRole).toString());
    }
  }
  const QSignalBlocker quietList(m_targets);
  const QSignalBlocker quietChecks(m_checks);
  m_targets->clear();
  m_checks->clear();
  // Set ID's default sends no sign ID: the new one goes to whatever sign is on the port.
  m_targets->addItem(m_reach == Reach::OneSign ? "Set COM port" : "Set COM port, Sign ID below",
                     kDefault);
  const std::vector<NamedSign> offered = Offered();
  for (const NamedSign& sign : offered) {
    m_targets->addItem(Described(sign), kOne);
    m_targets->setItemData(m_targets->count() - 1, FromUtf8(sign.name), kNameRole);
    auto* check = new QListWidgetItem(Described(sign), m_checks);
    check->setData(kNameRole, FromUtf8(sign.name));
    check->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
    check->setCheckState(ticked.count(FromUtf8(sign.name)) ? Qt::Checked : Qt::Unchecked);
  }
  if (m_reach != Reach::OneSign) {
    m_targets->addItem("All signs", kAll);
    m_targets->addItem("Several signs...", kSeveral);
  }
  // What was chosen, where it is still there; else the default.
  int index = 0;
  for (int i = 0; i < m_targets->count(); ++i) {
    const Kind k = static_cast<Kind>(m_targets->itemData(i, kKindRole).toInt());
    if (k == kind && (k != kOne || m_targets->itemData(i, kNameRole).toString() == name)) index = i;
  }
  m_targets->setCurrentIndex(index);
  setVisible(!offered.empty());
  Follow();
}

void SignTargetChooser::Follow() {
  m_checks->setVisible(ChosenKind() == kSeveral);
  if (m_signIds) m_signIds->setEnabled(IsDefault());
  emit targetChanged();
}

void SignTargetChooser::ChooseDefault() { m_targets->setCurrentIndex(0); }

void SignTargetChooser::ChooseSign(const std::string& name) {
  const NamedSign* sign = m_book.List().Find(name);
  for (int i = 0; sign && i < m_targets->count(); ++i) {
    if (m_targets->itemData(i, kKindRole).toInt() == kOne &&
        m_targets->itemData(i, kNameRole).toString() == FromUtf8(sign->name)) {
      m_targets->setCurrentIndex(i);
    }
  }
}

void SignTargetChooser::ChooseAll() {
  const int all = m_targets->findData(kAll, kKindRole);
  if (all >= 0) m_targets->setCurrentIndex(all);
}

void SignTargetChooser::ChooseSeveral(const std::vector<std::string>& names) {
  const int several = m_targets->findData(kSeveral, kKindRole);
  if (several < 0) return;
  for (int i = 0; i < m_checks->count(); ++i) {
    const std::string name = ToUtf8(m_checks->item(i)->data(kNameRole).toString());
    const bool tick = std::find(names.begin(), names.end(), name) != names.end();
    m_checks->item(i)->setCheckState(tick ? Qt::Checked : Qt::Unchecked);
  }
  m_targets->setCurrentIndex(several);
}

}  // namespace tavrin
