#pragma once

#include <QDialog>

class QComboBox;
class QLabel;
class QPushButton;

namespace parlevo {

class GroupCollection;
class TextTable;

// Asks for the group to give the selected contacts. Groupe is the name chosen (possibly empty
// or new), or kCancelMarker when the user gave up.
class Form_ChangeGroup final : public QDialog {
    Q_OBJECT
public:
    static constexpr const char16_t *kCancelMarker = u"##NOP##NOP##NOP##";

    Form_ChangeGroup(const TextTable &textes, const GroupCollection &groups, QWidget *parent = nullptr);
    Q_DISABLE_COPY_MOVE(Form_ChangeGroup)

    QString Groupe;

    void Init();
    // The same question for another use: its title, caption and button; with existingOnly, only an
    // existing group or the empty first item can be chosen.
    void setPurpose(const QString &title, const QString &caption, const QString &action, bool existingOnly);

    void CMD_ChangeGroupe_Click();
    void CMD_Annuler_Click();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    const TextTable &m_textes;
    const GroupCollection &m_groups;
    QComboBox *m_comboGroup;
    QLabel *m_caption;
    QPushButton *m_action;
    bool m_existingOnly = false;
};

} // namespace parlevo
