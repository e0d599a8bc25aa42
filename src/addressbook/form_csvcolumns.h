#pragma once

#include "csvcolumns.h"

#include <QDialog>

#include <array>

class QComboBox;
class QLabel;
class QPushButton;

namespace parlevo {

class GroupCollection;
class TextTable;

// Shows the first rows of a CSV file another program wrote and one column chooser per field,
// pre-filled from its header; accepted, mapping() says where each field comes from and group() the
// group every contact goes into (empty: each row's own). With no number column it cannot be
// accepted: a header it does not know is offered for the user to name.
class Form_CsvColumns final : public QDialog {
    Q_OBJECT
public:
    Form_CsvColumns(const TextTable &textes, const GroupCollection &groups, const CsvTable &table,
                    QWidget *parent = nullptr);
    Q_DISABLE_COPY_MOVE(Form_CsvColumns)

    CsvMapping mapping() const;
    QString group() const;

private:
    void updateNumberHint();

    std::array<QComboBox *, 6> m_choosers{};
    QComboBox *m_group = nullptr;
    QLabel *m_numberHint = nullptr;
    QPushButton *m_suivant = nullptr;
};

} // namespace parlevo
