#pragma once
// Pieces the small dialogs share: their button row, an OK button that checks before it closes,
// and an error message by language text.
#include <QString>
#include <functional>
#include <initializer_list>

class QHBoxLayout;
class QPushButton;
class QWidget;

// The buttons in a row, right-aligned.
QHBoxLayout* DialogButtonRow(std::initializer_list<QPushButton*> buttons);
// A button of `dialog` (no default on Enter) that runs `click`.
QPushButton* DialogButton(QWidget* dialog, const QString& text, const QString& name,
                          const std::function<void()>& click);
// An error message (stop icon, the owner's caption as title): language text `textId`, or the
// design text when the language has none.
void ShowTextError(QWidget* owner, int textId, const QString& design);
