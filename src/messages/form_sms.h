#pragma once

#include <QPointer>
#include <QWidget>

class QLabel;

namespace parlevo {

class TextTable;

// The SMS preview: a small window that stays above the others and shows the text that the
// sending window would send. One for the whole run, created on first use; closing it discards
// it and the next use creates it again.
class Form_SMS final : public QWidget {
    Q_OBJECT
public:
    explicit Form_SMS(const TextTable &textes);
    Q_DISABLE_COPY_MOVE(Form_SMS)

    // The preview window, created if needed (not shown).
    static Form_SMS &instance(const TextTable &textes);
    // The preview window if one exists.
    static Form_SMS *existing();

    void setPreviewText(const QString &text);
    QString previewText() const;

    // Places the window against the main window without leaving its screen, shows it without
    // modality and gives the main window the focus back, so the user goes on typing.
    void showBeside(QWidget &mainWindow);

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    void placeBeside(const QWidget &mainWindow);

    QLabel *m_label;
    QString m_text;
    // The window it was last placed beside: a longer text that grows it places it again.
    QPointer<QWidget> m_beside;
};

} // namespace parlevo
