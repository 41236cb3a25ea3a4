// Rendering a dialog model with Qt widgets.
#include "gui/model_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QEvent>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QVBoxLayout>

#include "gui/dialog_layouts.h"
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

namespace {

// One column of a band: boxes and runs of captioned rows, top to bottom.
struct Column {
  QVBoxLayout* box = new QVBoxLayout;
  QFormLayout* form = nullptr;  // the run of rows being filled; none after a box
};

// A box of grouped controls, filled down its columns.
struct Box {
  QGroupBox* frame = nullptr;
  QGridLayout* grid = nullptr;
  int count = 0;   // controls of the group
  int filled = 0;  // controls placed so far
};

bool SitsAlone(ControlKind kind) { return kind == ControlKind::Check || kind == ControlKind::Radio; }

}  // namespace

QWidget* ModelDialog::MakeWidget(const DialogControl& control) {
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
      edit->setMinimumHeight(64);
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
      // A field that cannot be typed in, but whose text can be selected and copied.
      auto* edit = new QLineEdit(this);
      edit->setReadOnly(true);
      edit->setFocusPolicy(Qt::ClickFocus);
      QPalette palette = edit->palette();
      palette.setColor(QPalette::Base, palette.color(QPalette::Window));
      edit->setPalette(palette);
      widget = edit;
      break;
    }
  }
  widget->setObjectName(QString::fromStdString(id));
  widget->installEventFilter(this);
  m_widgets[id] = widget;
  return widget;
}

QLabel* ModelDialog::MakeCaption(const DialogControl& control, QWidget* widget) {
  auto* caption = new QLabel(ToQt(control.caption), this);
  caption->setBuddy(widget);
  m_captions[control.id] = caption;
  return caption;
}

void ModelDialog::Build() {
  const DialogLayout& layout = LayoutOf(m_model.Title());
  auto* outer = new QVBoxLayout(this);
  std::map<int, std::map<int, Column>> bands;
  std::map<std::string, Box> boxes;
  for (const DialogControl& control : m_model.Controls()) {
    if (!control.group.empty()) ++boxes[control.group].count;
  }
  const int charWidth = fontMetrics().horizontalAdvance(QLatin1Char('0'));
  // The row the previous ungrouped control opened, for a control drawn beside it.
  QHBoxLayout* lastRow = nullptr;
  std::vector<std::pair<QHBoxLayout*, bool>> rows;  // each row, and whether all of it is narrow

  for (const DialogControl& control : m_model.Controls()) {
    QWidget* widget = MakeWidget(control);
    const auto width = layout.widths.find(control.id);
    if (width != layout.widths.end()) widget->setMaximumWidth(charWidth * (width->second + 2) + 12);
    const bool narrow = width != layout.widths.end();

    if (!control.group.empty()) {
      Box& box = boxes[control.group];
      if (!box.frame) {
        const DialogPlace place = layout.PlaceOf(control.id, control.group);
        Column& column = bands[place.band][place.column];
        box.frame = new QGroupBox(ToQt(control.group), this);
        box.frame->setObjectName(QString::fromStdString(control.group));
        box.grid = new QGridLayout(box.frame);
        column.box->addWidget(box.frame);
        column.form = nullptr;
        m_groups[control.group] = box.frame;
      }
      // Filled down each column in turn, so the order of the controls reads down the columns.
      const int columns = std::max(1, layout.ColumnsOf(control.group));
      const int perColumn = (box.count + columns - 1) / columns;
      const int row = box.filled % perColumn;
      const int column = box.filled / perColumn;
      ++box.filled;
      if (SitsAlone(control.kind)) {
        box.grid->addWidget(widget, row, 2 * column, 1, 2);
      } else {
        if (control.kind == ControlKind::MultiLine) {
          // Notes in a box are a few lines each, so that the box keeps to its column.
          const int line = widget->fontMetrics().lineSpacing();
          widget->setMinimumHeight(3 * line + 10);
          widget->setMaximumHeight(4 * line + 10);
        }
        box.grid->addWidget(MakeCaption(control, widget), row, 2 * column,
                            control.kind == ControlKind::MultiLine ? Qt::AlignTop : Qt::Alignment());
        box.grid->addWidget(widget, row, 2 * column + 1);
        box.grid->setColumnStretch(2 * column + 1, 1);
      }
      lastRow = nullptr;
      continue;
    }

    if (lastRow && layout.beside.contains(control.id)) {
      if (!SitsAlone(control.kind) && !control.caption.empty()) {
        lastRow->addSpacing(8);
        lastRow->addWidget(MakeCaption(control, widget));
      }
      lastRow->addWidget(widget);
      rows.back().second = rows.back().second && narrow;
      continue;
    }

    const DialogPlace place = layout.PlaceOf(control.id, {});
    Column& column = bands[place.band][place.column];
    if (!column.form) {
      column.form = new QFormLayout;
      column.form->setFieldGrowthPolicy(QFormLayout::ExpandingFieldsGrow);
      column.box->addLayout(column.form);
    }
    auto* row = new QHBoxLayout;
    row->addWidget(widget);
    if (SitsAlone(control.kind)) {
      column.form->addRow(row);
    } else {
      column.form->addRow(MakeCaption(control, widget), row);
    }
    m_rows[control.id] = {column.form, row};
    rows.emplace_back(row, narrow);
    lastRow = row;
  }
  // A row of narrow fields keeps them at the left rather than spreading them out.
  for (const auto& [row, allNarrow] : rows) {
    if (allNarrow) row->addStretch(1);
  }

  for (auto& [band, columns] : bands) {
    auto* line = new QHBoxLayout;
    line->setSpacing(18);
    for (auto& [number, column] : columns) {
      column.box->addStretch(1);
      line->addLayout(column.box, 1);
    }
    outer->addLayout(line);
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
        // Typing stops at the limit, but a longer stored text is shown whole rather than cut
        // short unseen; left as it is, OK takes it back unchanged.
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
      case ControlKind::ReadOnly: {
        auto* edit = static_cast<QLineEdit*>(widget);
        if (edit->text() != ToQt(control.text)) {
          edit->setText(ToQt(control.text));
          edit->setCursorPosition(0);
        }
        break;
      }
    }
    widget->setVisible(control.visible);
    if (const auto row = m_rows.find(control.id); row != m_rows.end()) {
      row->second.form->setRowVisible(row->second.row, control.visible);
    }
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

void ModelDialog::FocusLeft(const QObject* left) {
  for (const auto& [id, widget] : m_widgets) {
    if (widget != left) continue;
    m_model.OnFocusLost(id);
    Refresh();
    break;
  }
}

bool ModelDialog::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::FocusOut && !m_refreshing) FocusLeft(watched);
  return QDialog::eventFilter(watched, event);
}

void ModelDialog::accept() {
  // OK by the Return key leaves the focus where it is: the field being typed in is left as the
  // dialog closes, so what leaving it fills in (a person's initials from the first names) is
  // done before the fields are checked and read.
  if (!m_refreshing) FocusLeft(focusWidget());
  if (const auto refusal = m_model.Validate()) {
    m_refuse(*refusal);
    if (QWidget* widget = ControlWidget(m_model.RefusedControl())) widget->setFocus();
    return;
  }
  QDialog::accept();
}

}  // namespace tv::gui
