// A modal dialog drawn from a DialogModel: one widget per control, each named by the control's
// id, arranged by the dialog's layout (gui/dialog_layouts.h); boxes are named by their titles. Edits go back into the model as they happen, so the model can show, hide or
// refill controls; OK closes only when the model validates.
#pragma once

#include <QDialog>
#include <functional>
#include <map>
#include <string>

#include "core/dialog_model.h"

class QFormLayout;
class QHBoxLayout;
class QLabel;
class QWidget;

namespace tv::gui {

class ModelDialog : public QDialog {
  Q_OBJECT

 public:
  // `refuse` shows a refusal (the platform's message box).
  ModelDialog(DialogModel& model, std::function<void(const std::string&)> refuse,
              QWidget* parent = nullptr);

  // The widget of a control, or null.
  QWidget* ControlWidget(const std::string& id) const;

 public slots:
  void accept() override;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Build();
  QWidget* MakeWidget(const DialogControl& control);
  QLabel* MakeCaption(const DialogControl& control, QWidget* widget);
  // Copies the model's texts, checks, selections, visibility and enabling into the widgets.
  void Refresh();
  // Copies one widget's value into the model and tells it.
  void Changed(const std::string& id);
  // Tells the model that the control of `widget` (if it is one) has lost the focus.
  void FocusLeft(const QObject* widget);

  DialogModel& m_model;
  std::function<void(const std::string&)> m_refuse;
  std::map<std::string, QWidget*> m_widgets;
  std::map<std::string, QLabel*> m_captions;
  std::map<std::string, QWidget*> m_groups;
  struct Row {
    QFormLayout* form;
    QHBoxLayout* row;
  };
  std::map<std::string, Row> m_rows;  // the row each ungrouped control opened
  bool m_refreshing = false;
};

}  // namespace tv::gui
