#pragma once

#include <QString>
#include <QStringView>

namespace parlevo {

class PhoneCheck;

// A number as it is stored, from the number as it was typed or found in a file.
struct NumberInput {
    QString number;
    // A rule rewrote it: the import report lists it.
    bool changed = false;
    // Not a valid number, even rewritten: kept as typed.
    bool unreadable = false;
};

// The one reading of a number entering the address book, whatever the way in:
// - "+" and a country code become "00" and the digits ("+33 6 12 34 56 78" -> "0033612345678");
// - "(0)" after a country code goes ("+33 (0)6 55 44 33 22" -> "0033655443322");
// - a valid number of the home region written without its trunk prefix gets it back
//   ("658202938" -> "0658202938", as a spreadsheet drops the leading 0);
// - two complete numbers in one field (" ::: ", " / ", "; " between them) give the first mobile one.
// Anything else is kept exactly as typed. The readings are cached by PhoneCheck, by digit string.
NumberInput readNumberInput(PhoneCheck &check, QStringView typed);

} // namespace parlevo
