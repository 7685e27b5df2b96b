#pragma once

#include "ui/look.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QRect>
#include <QString>

class QAbstractButton;
class QGroupBox;
class QMimeData;
class QPushButton;
class QWidget;

namespace ui {

QLabel* addLabel(QWidget* parent, const char* name, QRect twips, const QString& caption, const Look& look);
QPushButton* addButton(QWidget* parent, const char* name, QRect twips, const QString& caption,
                       const Look& look);
// A frame; an empty caption draws none.
QGroupBox* addFrame(QWidget* parent, const char* name, QRect twips, const QString& caption, const Look& look);

// A button that sends something out once per press: a second press within the system's
// double-click interval of the press that acted does nothing, so a double click acts once.
void ignoreDoubleClicks(QAbstractButton& button);

// A sunken picture box whose picture is shown whole: the box grows around its centre for a
// picture larger than its design size and returns to that size for a smaller one.
class PictureBox final : public QLabel {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(PictureBox)

public:
    PictureBox(QWidget* parent, QRect designPixels, bool border);
    ~PictureBox() override;
    void setPicture(const QPixmap& picture);

private:
    QRect design;
    int frame;
};

// A multi-line text box with a vertical scroll bar that stays responsive with any amount of
// text: it wraps at word boundaries, and falls back to wrapping anywhere once a paste or drop
// brings text long enough to make word-boundary layout of one huge word crawl.
class MultiLineTextBox final : public QPlainTextEdit {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(MultiLineTextBox)

public:
    explicit MultiLineTextBox(QWidget* parent = nullptr);
    ~MultiLineTextBox() override;

    // Text longer than this is laid out by wrapping anywhere.
    static constexpr qsizetype kLongText = 4096;

    // Inserts as a paste does (the same guard applies).
    void pasteText(const QString& text);
    // Replaces the whole text (the same guard applies).
    void replaceText(const QString& text);

protected:
    void insertFromMimeData(const QMimeData* source) override;

private:
    void prepareFor(qsizetype incoming);
};

} // namespace ui
