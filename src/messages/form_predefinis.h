#pragma once

#include "base/activitywindow.h"

class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPushButton;

namespace parlevo {

class AutoSave;
class PredefinedMessages;
class TextTable;
class SmsTextEdit;

// Lists, adds, modifies and deletes the predefined messages, working on colPredefinis itself:
// an accepted change is in the list at once and reaches the file when the program quits.
class Form_Predefinis final : public SectionPage {
    Q_OBJECT
public:
    Form_Predefinis(const TextTable &textes, PredefinedMessages &messages, AutoSave &autoSave,
                    QWidget *parent = nullptr);
    Q_DISABLE_COPY_MOVE(Form_Predefinis)

    // Fills the list and returns to browsing with no row selected.
    void Init() override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildWindow();
    void fillList();
    void setEditMode(bool editing);
    // 1-based position in colPredefinis of the selected row, 0 when none.
    int selectedPosition() const;
    void ListPredefinis_Click();
    void CMD_Ajouter_Click();
    void CMD_Modifier_Click();
    void CMD_Accepter_Click();
    void CMD_Annuler_Click();
    void CMD_Supprimer_Click();
    void showCount();
    void enableRowButtons(bool enabled);

    const TextTable &m_textes;
    PredefinedMessages &m_messages;
    AutoSave &m_autoSave;
    bool m_adding = false;
    QListWidget *m_list = nullptr;
    QPushButton *m_ajouter = nullptr;
    QPushButton *m_modifier = nullptr;
    QPushButton *m_supprimer = nullptr;
    QLabel *m_labelNom = nullptr;
    QLineEdit *m_textNom = nullptr;
    QLabel *m_labelMessage = nullptr;
    SmsTextEdit *m_textSMS = nullptr;
    QLabel *m_labelNBCar = nullptr;
    QPushButton *m_accepter = nullptr;
    QPushButton *m_annuler = nullptr;
};

} // namespace parlevo
