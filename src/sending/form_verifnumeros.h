#pragma once

#include <QDialog>
#include <QStringList>

class QCheckBox;

namespace parlevo {

struct NumberCheck;
class TextTable;

// The question asked before a mailing whose numbers' check found something: one SMS per number or
// one per row, and whether the numbers that are not valid mobile numbers are left out. The rows
// found are named by number and name; "Voir la liste" shows all of them, to read or copy.
class Form_VerifNumeros final : public QDialog {
    Q_OBJECT
public:
    enum class Choice { Cancel, OncePerNumber, EveryRow };

    // labels: each row's number and name (reviewLabel), in list order.
    Form_VerifNumeros(const TextTable &textes, const NumberCheck &check, const QStringList &labels, QWidget *parent);
    Q_DISABLE_COPY_MOVE(Form_VerifNumeros)

    Choice choice() const { return m_choice; }
    // Ticked, and offered: some numbers are not valid mobile numbers.
    bool skipInvalid() const;

private:
    void showWholeList();

    const TextTable &m_textes;
    QString m_wholeList;
    QCheckBox *m_skipInvalid = nullptr;
    Choice m_choice = Choice::Cancel;
};

} // namespace parlevo
