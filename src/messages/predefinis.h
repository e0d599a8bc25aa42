#pragma once

#include "base/storefile.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>

namespace parlevo {

class DataDir;

// A reusable SMS text and the name it is offered under.
struct ClassPredefini {
    QString Nom;
    // May hold line breaks (CR LF).
    QString Message;

    friend bool operator==(const ClassPredefini &, const ClassPredefini &) = default;
};

// Addressed by 1-based position in the program's vocabulary: record n is at(n - 1).
using PredefiniList = QList<ClassPredefini>;

// The predefined messages of a data directory, loaded and saved through it.
class PredefinedMessages final {
public:
    explicit PredefinedMessages(DataDir &dataDir)
        : m_dataDir(dataDir)
    {
    }

    DataDir &dataDir() const { return m_dataDir; }
    PredefiniList &colPredefinis() { return m_list; }
    const PredefiniList &colPredefinis() const { return m_list; }

private:
    DataDir &m_dataDir;
    PredefiniList m_list;
};

inline constexpr const char16_t *kPredefinisFileName = u"Predefinis.sms";
inline constexpr const char16_t *kPredefinisBackupName = u"Predefinis.bak";

// Appends the records of "Predefinis.sms" to colPredefinis, after copying the file as found to
// "Predefinis.bak". No file: nothing happens. False when the file exists but cannot be read; it is
// then marked unreadable and no save of the run touches it.
bool Charge_Predefinis(PredefinedMessages &messages);

// Writes colPredefinis to "Predefinis.sms", replacing the previous file only once the new one is
// complete; an empty list removes the file. False when the file could not be brought up to date.
bool Sauve_Predefinis(const PredefinedMessages &messages);
// The same save in two steps: the bytes taken now, written when the returned step runs (on any
// thread). Empty when the file must not be saved.
FileWrite preparePredefinisSave(const PredefinedMessages &messages);

// The file's content: the count, then one "Nom;Message" line per record, in Windows-1252 with
// CR LF line ends and every line break of a record written as backslash and "n".
PredefiniList readPredefinis(QByteArrayView bytes);
QByteArray predefinisBytes(const PredefiniList &list);

} // namespace parlevo
