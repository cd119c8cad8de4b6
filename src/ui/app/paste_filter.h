#pragma once

#include <QObject>

class QWidget;

// Watches every edit box of the program and pastes by the program's rules (see pastedText):
// the paste key, and the paste item of the edit boxes' own context menus.
class PasteFilter : public QObject {
    Q_OBJECT
  public:
    explicit PasteFilter(QObject* parent = nullptr);
    // Pastes the clipboard into a line edit, plain-text edit or text edit. False for other
    // widgets.
    static bool pasteInto(QWidget* editor);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    bool showContextMenu(QWidget* editor, QEvent* event);
};
