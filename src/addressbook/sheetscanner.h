#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <string_view>

namespace parlevo {

// A worksheet's XML read straight from its UTF-8 bytes. The sheet is most of a workbook and
// QXmlStreamReader takes seconds over 100,000 rows; this knows the little XML a sheet holds
// (elements, attributes, text, entities, CDATA, comments, processing instructions) and fails on
// anything else, a document type included. Well-formedness past that is the caller's to check.
class SheetScanner final {
public:
    struct Tag {
        std::string_view name; // without its namespace prefix
        bool end = false;
        bool empty = false; // <c/>
        // The attributes a cell is read by: reference, type, style.
        std::string_view r, t, s;
    };

    explicit SheetScanner(QByteArrayView bytes)
        : m_p(bytes.data())
        , m_end(bytes.data() + bytes.size())
    {
    }

    // The next tag; the text before it is appended to text when given. False at the end or on an error.
    bool next(Tag &tag, QByteArray *text);
    bool failed() const { return m_failed; }

private:
    bool fail()
    {
        m_failed = true;
        return false;
    }
    bool skipPast(std::string_view marker);
    bool appendText(const char *from, const char *to, QByteArray &text);

    const char *m_p;
    const char *m_end;
    bool m_failed = false;
};

} // namespace parlevo
