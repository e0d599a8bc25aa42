#include "vcard.h"

#include "base/codec1252.h"
#include "base/storefile.h"
#include "contactrules.h"
#include "csvcolumns.h"

#include <QHash>
#include <QStringDecoder>

#include <algorithm>
#include <optional>

using namespace Qt::StringLiterals;

namespace parlevo {

namespace {

constexpr qsizetype kFoldOctets = 75;

QList<QByteArrayView> physicalLines(QByteArrayView bytes)
{
    QList<QByteArrayView> lines;
    qsizetype start = 0;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        if (bytes[i] != '\r' && bytes[i] != '\n')
            continue;
        lines.append(bytes.sliced(start, i - start));
        if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n')
            ++i;
        start = i + 1;
    }
    if (start < bytes.size())
        lines.append(bytes.sliced(start));
    return lines;
}

// The name and parameters of a content line: everything before its first ":" outside quotes.
QByteArrayView headOf(QByteArrayView line)
{
    bool quoted = false;
    for (qsizetype i = 0; i < line.size(); ++i) {
        if (line[i] == '"')
            quoted = !quoted;
        else if (line[i] == ':' && !quoted)
            return line.first(i);
    }
    return line;
}

bool isQuotedPrintable(QByteArrayView line)
{
    return headOf(line).toByteArray().toUpper().contains("QUOTED-PRINTABLE");
}

// Content lines with folding undone. Version 2.1 writers also break quoted-printable values with
// a final "=", and continue them without a leading blank. The head is looked at once per content
// line, not once per piece: a long folded value stays linear to read.
QList<QByteArray> logicalLines(QByteArrayView bytes)
{
    QList<QByteArray> lines;
    bool softBreak = false;
    bool quotedPrintable = false;
    for (QByteArrayView line : physicalLines(bytes)) {
        if (softBreak) {
            lines.last().chop(1);
            lines.last() += line;
        } else if (!lines.isEmpty() && !line.isEmpty() && (line[0] == ' ' || line[0] == '\t')) {
            lines.last() += line.sliced(1);
        } else {
            lines.append(line.toByteArray());
            quotedPrintable = isQuotedPrintable(lines.last());
        }
        softBreak = quotedPrintable && lines.last().endsWith('=');
    }
    return lines;
}

struct Property {
    QByteArray group;
    QByteArray name;
    // Upper-cased names; a 2.1 parameter without a name ("CELL", "QUOTED-PRINTABLE") is a TYPE.
    QList<std::pair<QByteArray, QByteArray>> params;
    QByteArray value;

    QByteArrayList param(QByteArrayView paramName) const
    {
        QByteArrayList values;
        for (const auto &[n, v] : params)
            if (n == paramName)
                values.append(v.split(','));
        return values;
    }
};

Property parseLine(const QByteArray &line)
{
    Property p;
    const QByteArrayView head = headOf(line);
    p.value = line.size() > head.size() ? line.sliced(head.size() + 1) : QByteArray();
    QList<QByteArray> parts;
    bool quoted = false;
    qsizetype start = 0;
    for (qsizetype i = 0; i <= head.size(); ++i) {
        if (i < head.size() && head[i] == '"')
            quoted = !quoted;
        else if (i == head.size() || (head[i] == ';' && !quoted)) {
            parts.append(head.sliced(start, i - start).toByteArray());
            start = i + 1;
        }
    }
    QByteArray name = parts.takeFirst().trimmed().toUpper();
    if (const qsizetype dot = name.lastIndexOf('.'); dot >= 0) {
        p.group = name.first(dot);
        name = name.sliced(dot + 1);
    }
    p.name = name;
    for (const QByteArray &part : std::as_const(parts)) {
        const qsizetype eq = part.indexOf('=');
        QByteArray value = (eq < 0 ? part : part.sliced(eq + 1)).trimmed();
        if (value.size() >= 2 && value.startsWith('"') && value.endsWith('"'))
            value = value.sliced(1, value.size() - 2);
        p.params.append({eq < 0 ? QByteArray("TYPE") : part.first(eq).trimmed().toUpper(), value.toUpper()});
    }
    return p;
}

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

QByteArray decodeQuotedPrintable(QByteArrayView in)
{
    QByteArray out;
    out.reserve(in.size());
    for (qsizetype i = 0; i < in.size(); ++i) {
        if (in[i] == '=' && i + 2 < in.size() && hexDigit(in[i + 1]) >= 0 && hexDigit(in[i + 2]) >= 0) {
            out += char(hexDigit(in[i + 1]) * 16 + hexDigit(in[i + 2]));
            i += 2;
        } else {
            out += in[i];
        }
    }
    return out;
}

// Values without a charset are UTF-8 (3.0, 4.0) or, from old 2.1 writers, the system's code page.
QString decodeText(const QByteArray &bytes, const QByteArray &charset)
{
    if (!charset.isEmpty() && charset != "UTF-8") {
        if (charset == "ISO-8859-1" || charset == "WINDOWS-1252" || charset == "CP1252")
            return decode1252(bytes);
        QStringDecoder decoder(charset.constData());
        if (decoder.isValid()) {
            QString text = decoder(bytes);
            if (!decoder.hasError())
                return text;
        }
    }
    if (const std::optional<QString> utf8 = decodeUtf8(bytes))
        return *utf8;
    return decode1252(bytes);
}

QString valueText(const Property &p)
{
    const QByteArrayList encodings = p.param("ENCODING") + p.param("TYPE");
    const QByteArray raw = encodings.contains("QUOTED-PRINTABLE") ? decodeQuotedPrintable(p.value) : p.value;
    return decodeText(raw, p.param("CHARSET").value(0));
}

// Splits at each separator not escaped by a backslash, then undoes the escapes; an escaped line
// break becomes a blank, as the address book's fields hold one line.
// Without a separator, only the escapes are undone.
QStringList splitEscaped(const QString &text, std::optional<QChar> separator = std::nullopt)
{
    QStringList parts(1);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == u'\\' && i + 1 < text.size()) {
            const QChar next = text[++i];
            parts.last() += (next == u'n' || next == u'N') ? u' ' : next;
        } else if (c == separator) {
            parts.append(QString());
        } else {
            parts.last() += c;
        }
    }
    return parts;
}

QString clean(const QString &text)
{
    return withoutForbidden(text).trimmed();
}

struct Tel {
    QByteArray group;
    QString number;
    bool mobile = false;
};

// What one card gives before it becomes a contact.
struct Card {
    std::optional<QStringList> n;
    QString fn;
    std::optional<QString> org;
    std::optional<QString> category;
    QList<Tel> tels;
    // The labels iOS puts beside a grouped TEL ("item1.X-ABLabel:mobile").
    QHash<QByteArray, QString> labels;

    void take(const Property &p)
    {
        if (p.name == "N" && !n)
            n = splitEscaped(valueText(p), u';');
        else if (p.name == "FN" && fn.isEmpty())
            fn = splitEscaped(valueText(p)).constFirst();
        else if (p.name == "ORG" && !org)
            org = splitEscaped(valueText(p), u';').constFirst();
        else if (p.name == "CATEGORIES" && !category)
            category = firstCategory(splitEscaped(valueText(p), u','));
        else if (p.name == "TEL")
            tels.append({p.group, telNumber(valueText(p)), p.param("TYPE").contains("CELL")});
        else if (p.name == "X-ABLABEL" && !p.group.isEmpty())
            labels.insert(p.group, valueText(p));
    }

    // Google lists its own system groups among the user's.
    static std::optional<QString> firstCategory(const QStringList &categories)
    {
        for (const QString &category : categories)
            if (const QString name = clean(category); name != u"myContacts"_s && name != u"starred"_s)
                return name;
        return std::nullopt;
    }

    static QString telNumber(const QString &value)
    {
        QString number = splitEscaped(value).constFirst().trimmed();
        if (number.startsWith(u"tel:"_s, Qt::CaseInsensitive))
            number = number.sliced(4).section(u';', 0, 0);
        // As written: the import reads it (a "+", a "(0)", two numbers) before the number box's filter.
        return withoutForbidden(number).simplified();
    }

    std::unique_ptr<ClassContact> contact() const
    {
        auto c = std::make_unique<ClassContact>();
        const bool named =
            n && std::any_of(n->cbegin(), n->cend(), [](const QString &part) { return !part.trimmed().isEmpty(); });
        if (named) {
            c->Nom = clean(n->value(0));
            c->Prenom = clean(n->value(1));
            c->Titre = clean(n->value(3));
        } else if (const QString full = clean(fn).simplified(); org && full == clean(*org)) {
            // A company's card (iOS, Android) names no person: the company is its name.
            c->Nom = full;
        } else {
            const qsizetype blank = full.lastIndexOf(u' ');
            c->Nom = full.sliced(blank + 1);
            c->Prenom = blank < 0 ? QString() : full.first(blank);
        }
        c->Societe = clean(org.value_or(QString()));
        c->Groupe = clean(category.value_or(QString()));
        const auto mobile = std::find_if(tels.cbegin(), tels.cend(), [this](const Tel &tel) {
            return tel.mobile ||
                   (!tel.group.isEmpty() && labels.value(tel.group).contains(u"mobile"_s, Qt::CaseInsensitive));
        });
        c->Phone = mobile != tels.cend() ? mobile->number : tels.isEmpty() ? QString() : tels.constFirst().number;
        return c;
    }
};

bool isEmptyContact(const ClassContact &c)
{
    return c.Groupe.isEmpty() && c.Societe.isEmpty() && c.Titre.isEmpty() && c.Prenom.isEmpty() && c.Nom.isEmpty() &&
           c.Phone.isEmpty();
}

QByteArray escaped(const QString &text)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        if (c == u'\\' || c == u',' || c == u';')
            out += u'\\';
        if (c == u'\n')
            out += u"\\n"_s;
        else if (c != u'\r')
            out += c;
    }
    return out.toUtf8();
}

void appendFolded(QByteArray &out, const QByteArray &line)
{
    qsizetype start = 0;
    qsizetype room = kFoldOctets;
    while (line.size() - start > room) {
        qsizetype cut = start + room;
        // Never inside a UTF-8 sequence.
        while (cut > start + 1 && (uchar(line[cut]) & 0xC0) == 0x80)
            --cut;
        out += line.sliced(start, cut - start) + "\r\n ";
        start = cut;
        room = kFoldOctets - 1;
    }
    out += line.sliced(start) + "\r\n";
}

} // namespace

std::vector<std::unique_ptr<ClassContact>> readVCards(QByteArrayView file, const std::function<QString()> &nextKey)
{
    const QByteArray utf8 = utf8FromUtf16(file);
    QByteArrayView bytes = utf8;
    if (bytes.startsWith("\xEF\xBB\xBF"))
        bytes = bytes.sliced(3);
    std::vector<std::unique_ptr<ClassContact>> contacts;
    std::optional<Card> card;
    // A 2.1 AGENT holds a whole card of its own: its lines are not this card's.
    int depth = 0;
    const auto finish = [&] {
        if (card) {
            auto contact = card->contact();
            if (!isEmptyContact(*contact)) {
                contact->GUID = nextKey();
                contacts.push_back(std::move(contact));
            }
        }
        card.reset();
        depth = 0;
    };
    for (const QByteArray &line : logicalLines(bytes)) {
        const Property p = parseLine(line);
        const bool aboutCard = p.value.trimmed().toUpper() == "VCARD";
        if (p.name == "BEGIN" && aboutCard) {
            if (depth++ == 0)
                card.emplace();
        } else if (p.name == "END" && aboutCard) {
            if (depth > 0 && --depth == 0)
                finish();
        } else if (card && depth == 1) {
            card->take(p);
        }
    }
    finish();
    return contacts;
}

bool looksLikeVCard(QByteArrayView file)
{
    const QByteArray head = utf8FromUtf16(file.first(std::min<qsizetype>(file.size(), 8192)));
    QByteArrayView bytes = head;
    if (bytes.startsWith("\xEF\xBB\xBF"))
        bytes = bytes.sliced(3);
    for (QByteArrayView line : physicalLines(bytes.first(std::min<qsizetype>(bytes.size(), 4096)))) {
        const QByteArray trimmed = line.toByteArray().trimmed();
        if (!trimmed.isEmpty())
            return trimmed.toUpper() == "BEGIN:VCARD";
    }
    return false;
}

QByteArray vCardsOf(const QList<const ClassContact *> &contacts)
{
    QByteArray out;
    for (const ClassContact *c : contacts) {
        out += "BEGIN:VCARD\r\nVERSION:3.0\r\n";
        appendFolded(out, "N:" + escaped(c->Nom) + ';' + escaped(c->Prenom) + ";;" + escaped(c->Titre) + ';');
        QStringList names{c->Titre, c->Prenom, c->Nom};
        names.removeAll(QString());
        appendFolded(out, "FN:" + escaped(names.join(u' ')));
        if (!c->Societe.isEmpty())
            appendFolded(out, "ORG:" + escaped(c->Societe));
        if (!c->Phone.isEmpty())
            appendFolded(out, "TEL;TYPE=CELL:" + escaped(c->Phone));
        if (!c->Groupe.isEmpty())
            appendFolded(out, "CATEGORIES:" + escaped(c->Groupe));
        out += "END:VCARD\r\n";
    }
    return out;
}

bool writeVCardFile(const QString &path, const QList<const ClassContact *> &contacts)
{
    return replaceFile(path, vCardsOf(contacts));
}

} // namespace parlevo
