// Rendering a dialog model with Qt widgets.
#include "gui/model_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QEvent>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QVBoxLayout>

#include "gui/win1252.h"

namespace tv::gui {

ModelDialog::ModelDialog(DialogModel& model, std::function<void(const std::string&)> refuse,
                         QWidget* parent)
    : QDialog(parent), m_model(model), m_refuse(std::move(refuse)) {
  setWindowTitle(ToQt(model.Title()));
  setObjectName("modelDialog");
  Build();
  Refresh();
}

QWidget* ModelDialog::ControlWidget(const std::string& id) const {
  const auto found = m_widgets.find(id);
  return found == m_widgets.end() ? nullptr : found->second;
}

void ModelDialog::Build() {
  auto* outer = new QVBoxLayout(this);
  auto* form = new QFormLayout;
  form->setFieldGrowthPolicy(QFormLayout::ExpandingFieldsGrow);
  outer->addLayout(form);
  std::map<std::string, QFormLayout*> groupForms;

  for (const DialogControl& control : m_model.Controls()) {
    QFormLayout* target = form;
    if (!control.group.empty()) {
      auto found = groupForms.find(control.group);
      if (found == groupForms.end()) {
        auto* box = new QGroupBox(ToQt(control.group), this);
        auto* boxForm = new QFormLayout(box);
        form->addRow(box);
        m_groups[control.group] = box;
        found = groupForms.emplace(control.group, boxForm).first;
      }
      target = found->second;
    }
    const std::string id = control.id;
    QWidget* widget = nullptr;
    switch (control.kind) {
      case ControlKind::Text:
      case ControlKind::Number: {
        auto* edit = new QLineEdit(this);
        connect(edit, &QLineEdit::textEdited, this, [this, id] { Changed(id); });
        widget = edit;
        break;
      }
      case ControlKind::MultiLine: {
        auto* edit = new QPlainTextEdit(this);
        edit->setTabChangesFocus(true);
        edit->setMinimumHeight(90);
        connect(edit, &QPlainTextEdit::textChanged, this, [this, id] { Changed(id); });
        widget = edit;
        break;
      }
      case ControlKind::Check: {
        auto* box = new QCheckBox(ToQt(control.caption), this);
        connect(box, &QCheckBox::toggled, this, [this, id] { Changed(id); });
        widget = box;
        break;
      }
      case ControlKind::Radio: {
        // Buttons of one group exclude each other through the model, not through Qt, so
        // buttons of different groups sharing a box stay independent.
        auto* button = new QRadioButton(ToQt(control.caption), this);
        button->setAutoExclusive(false);
        connect(button, &QRadioButton::clicked, this, [this, id] { Changed(id); });
        widget = button;
        break;
      }
      case ControlKind::DropDown: {
        auto* combo = new QComboBox(this);
        for (const std::string& item : control.items) combo->addItem(ToQt(item));
        connect(combo, &QComboBox::activated, this, [this, id] { Changed(id); });
        widget = combo;
        break;
      }
      case ControlKind::ReadOnly: {
        auto* label = new QLabel(this);
        label->setTextInteractionFlags(Qt::TextSelectableByMouse);
        label->setTextFormat(Qt::PlainText);
        label->setWordWrap(true);
        widget = label;
        break;
      }
    }
    widget->setObjectName(QString::fromStdString(id));
    widget->installEventFilter(this);
    m_widgets[id] = widget;
    if (control.kind == ControlKind::Check || control.kind == ControlKind::Radio) {
      target->addRow(widget);
    } else {
      auto* caption = new QLabel(ToQt(control.caption), this);
      caption->setBuddy(widget);
      m_captions[id] = caption;
      target->addRow(caption, widget);
    }
  }

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &ModelDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &ModelDialog::reject);
  outer->addWidget(buttons);
  setMinimumWidth(420);
}

void ModelDialog::Refresh() {
  m_refreshing = true;
  std::map<std::string, bool> groupVisible;
  for (const DialogControl& control : m_model.Controls()) {
    QWidget* widget = m_widgets[control.id];
    switch (control.kind) {
      case ControlKind::Text:
      case ControlKind::Number: {
        auto* edit = static_cast<QLineEdit*>(widget);
        const QString text = ToQt(control.text);
        if (edit->text() != text) edit->setText(text);
        // Typing stops at the limit, but a longer stored text is shown whole (and refused at
        // OK) rather than cut short unseen.
        edit->setMaxLength(control.maxLength > 0 && control.text.size() <= control.maxLength
                               ? static_cast<int>(control.maxLength)
                               : 32767);
        break;
      }
      case ControlKind::MultiLine: {
        auto* edit = static_cast<QPlainTextEdit*>(widget);
        const QString text = ToQt(control.text).replace("\r\n", "\n");
        if (edit->toPlainText() != text) edit->setPlainText(text);
        break;
      }
      case ControlKind::Check:
      case ControlKind::Radio:
        static_cast<QAbstractButton*>(widget)->setChecked(control.checked);
        break;
      case ControlKind::DropDown:
        static_cast<QComboBox*>(widget)->setCurrentIndex(control.selected);
        break;
      case ControlKind::ReadOnly:
        static_cast<QLabel*>(widget)->setText(ToQt(control.text));
        break;
    }
    widget->setVisible(control.visible);
    widget->setEnabled(control.enabled);
    if (auto caption = m_captions.find(control.id); caption != m_captions.end()) {
      caption->second->setText(ToQt(control.caption));
      caption->second->setVisible(control.visible);
    }
    if (!control.group.empty()) groupVisible[control.group] = groupVisible[control.group] || control.visible;
  }
  for (const auto& [group, visible] : groupVisible) m_groups[group]->setVisible(visible);
  m_refreshing = false;
}

void ModelDialog::Changed(const std::string& id) {
  if (m_refreshing) return;
  DialogControl& control = m_model.Control(id);
  QWidget* widget = m_widgets[id];
  switch (control.kind) {
    case ControlKind::Text:
    case ControlKind::Number:
      control.text = FromQt(static_cast<QLineEdit*>(widget)->text());
      break;
    case ControlKind::MultiLine:
      control.text = FromQt(static_cast<QPlainTextEdit*>(widget)->toPlainText().replace("\n", "\r\n"));
      break;
    case ControlKind::Check:
      control.checked = static_cast<QCheckBox*>(widget)->isChecked();
      break;
    case ControlKind::Radio:
      m_model.SetChecked(id, true);
      break;
    case ControlKind::DropDown:
      control.selected = static_cast<QComboBox*>(widget)->currentIndex();
      break;
    case ControlKind::ReadOnly:
      return;
  }
  m_model.OnChanged(id);
  Refresh();
}

bool ModelDialog::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::FocusOut && !m_refreshing) {
    for (const auto& [id, widget] : m_widgets) {
      if (widget != watched) continue;
      m_model.OnFocusLost(id);
      Refresh();
      break;
    }
  }
  return QDialog::eventFilter(watched, event);
}

void ModelDialog::accept() {
  if (const auto refusal = m_model.Validate()) {
    m_refuse(*refusal);
    if (QWidget* widget = ControlWidget(m_model.RefusedControl())) widget->setFocus();
    return;
  }
  QDialog::accept();
}

}  // namespace tv::gui
