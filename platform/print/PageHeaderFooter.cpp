#include "platform/print/PageHeaderFooter.h"

#include <QLocale>

#include <algorithm>
#include <array>
#include <map>
#include <optional>
#include <vector>

namespace {

// ---- Header codes ----

QString expandCodes(const QString& codes, const PageFacts& facts)
{
    const QLocale locale;
    QString text;
    for (qsizetype i = 0; i < codes.size(); ++i) {
        const QChar c = codes.at(i);
        if (c != QLatin1Char('&') || i + 1 == codes.size()) {
            text += c;
            continue;
        }
        const QChar code = codes.at(++i);
        switch (code.unicode()) {
        case '&':
            text += QLatin1Char('&');
            break;
        case 'w':
            text += facts.Title;
            break;
        case 'u':
            text += facts.Url;
            break;
        case 'p':
            text += QString::number(facts.Page);
            break;
        case 'P':
            text += QString::number(facts.PageCount);
            break;
        case 'd':
            text += locale.toString(facts.Printed.date(), QLocale::ShortFormat);
            break;
        case 'D':
            text += locale.toString(facts.Printed.date(), QLocale::LongFormat);
            break;
        case 't':
            text += locale.toString(facts.Printed.time(), QLocale::ShortFormat);
            break;
        case 'T':
            text += facts.Printed.time().toString(QStringLiteral("HH:mm"));
            break;
        default:
            text += c;
            text += code;
            break;
        }
    }
    return text;
}

// ---- Reading the PDF ----

struct Value {
    enum Kind { Other, Dict, Array, Ref, Name } kind = Other;
    QByteArray raw; // the value as written
    std::vector<std::pair<QByteArray, Value>> entries; // Dict, in order
    std::vector<Value> items; // Array
    int ref = 0; // Ref: the object number

    const Value* find(const QByteArray& key) const
    {
        for (const auto& [name, value] : entries) {
            if (name == key)
                return &value;
        }
        return nullptr;
    }
};

bool isWhite(char c) { return c == ' ' || c == '\n' || c == '\r' || c == '\t' || c == '\f' || c == '\0'; }
bool isDelimiter(char c) { return isWhite(c) || QByteArrayView("()<>[]{}/%").contains(c); }

class Reader {
public:
    explicit Reader(const QByteArray& data) : data_(data) {}

    void skipWhite(qsizetype& pos) const
    {
        while (pos < data_.size()) {
            if (isWhite(data_[pos]))
                ++pos;
            else if (data_[pos] == '%') {
                while (pos < data_.size() && data_[pos] != '\n' && data_[pos] != '\r')
                    ++pos;
            } else
                break;
        }
    }

    QByteArray token(qsizetype& pos) const
    {
        skipWhite(pos);
        const qsizetype start = pos;
        while (pos < data_.size() && !isDelimiter(data_[pos]))
            ++pos;
        return data_.mid(start, pos - start);
    }

    std::optional<Value> parse(qsizetype& pos, int depth = 0) const
    {
        skipWhite(pos);
        if (pos >= data_.size() || depth > 64)
            return std::nullopt;
        const qsizetype start = pos;
        Value value;
        const char c = data_[pos];
        if (data_.mid(pos, 2) == "<<") {
            value.kind = Value::Dict;
            pos += 2;
            while (true) {
                skipWhite(pos);
                if (pos >= data_.size())
                    return std::nullopt;
                if (data_.mid(pos, 2) == ">>") {
                    pos += 2;
                    break;
                }
                auto key = parse(pos, depth + 1);
                auto item = key && key->kind == Value::Name ? parse(pos, depth + 1) : std::nullopt;
                if (!item)
                    return std::nullopt;
                value.entries.emplace_back(key->raw, std::move(*item));
            }
        } else if (c == '[') {
            value.kind = Value::Array;
            ++pos;
            while (true) {
                skipWhite(pos);
                if (pos >= data_.size())
                    return std::nullopt;
                if (data_[pos] == ']') {
                    ++pos;
                    break;
                }
                auto item = parse(pos, depth + 1);
                if (!item)
                    return std::nullopt;
                value.items.push_back(std::move(*item));
            }
        } else if (c == '/') {
            value.kind = Value::Name;
            ++pos;
            while (pos < data_.size() && !isDelimiter(data_[pos]))
                ++pos;
        } else if (c == '(') {
            int open = 0;
            for (; pos < data_.size(); ++pos) {
                if (data_[pos] == '\\')
                    ++pos;
                else if (data_[pos] == '(')
                    ++open;
                else if (data_[pos] == ')' && --open == 0)
                    break;
            }
            if (pos >= data_.size())
                return std::nullopt;
            ++pos;
        } else if (c == '<') {
            pos = data_.indexOf('>', pos);
            if (pos < 0)
                return std::nullopt;
            ++pos;
        } else {
            const QByteArray first = token(pos);
            if (first.isEmpty())
                return std::nullopt;
            // "n g R" is a reference.
            qsizetype ahead = pos;
            bool isInt = false;
            const int number = first.toInt(&isInt);
            if (isInt) {
                const QByteArray second = token(ahead);
                bool secondIsInt = false;
                second.toInt(&secondIsInt);
                if (secondIsInt && token(ahead) == "R") {
                    value.kind = Value::Ref;
                    value.ref = number;
                    pos = ahead;
                }
            }
        }
        value.raw = data_.mid(start, pos - start);
        return value;
    }

    const QByteArray& data() const { return data_; }

private:
    const QByteArray& data_;
};

struct Document {
    explicit Document(const QByteArray& data) : reader(data) {}

    Reader reader;
    std::map<int, qsizetype> offsets; // object number → offset of "n g obj"
    Value trailer;
    qsizetype startXref = 0;
    int size = 0;

    bool load()
    {
        const QByteArray& data = reader.data();
        const qsizetype mark = data.lastIndexOf("startxref");
        if (mark < 0)
            return false;
        qsizetype pos = mark + 9;
        bool ok = false;
        startXref = reader.token(pos).toLongLong(&ok);
        for (qsizetype section = startXref; ok && section > 0;) {
            pos = section;
            if (reader.token(pos) != "xref")
                return false;
            while (true) {
                qsizetype ahead = pos;
                const QByteArray word = reader.token(ahead);
                if (word == "trailer") {
                    pos = ahead;
                    break;
                }
                bool firstOk = false, countOk = false;
                const int first = word.toInt(&firstOk);
                const int count = reader.token(ahead).toInt(&countOk);
                if (!firstOk || !countOk || count < 0)
                    return false;
                pos = ahead;
                for (int i = 0; i < count; ++i) {
                    const qsizetype offset = reader.token(pos).toLongLong();
                    reader.token(pos);
                    const QByteArray use = reader.token(pos);
                    if (use == "n")
                        offsets.try_emplace(first + i, offset);
                    else if (use != "f")
                        return false;
                }
            }
            auto dict = reader.parse(pos);
            if (!dict || dict->kind != Value::Dict)
                return false;
            if (trailer.kind != Value::Dict) {
                trailer = *dict;
                size = dict->find("/Size") ? dict->find("/Size")->raw.toInt() : 0;
            }
            const Value* prev = dict->find("/Prev");
            section = prev ? prev->raw.toLongLong(&ok) : 0;
        }
        return ok && trailer.kind == Value::Dict && size > 0;
    }

    std::optional<Value> object(int number) const
    {
        const auto found = offsets.find(number);
        if (found == offsets.end())
            return std::nullopt;
        qsizetype pos = found->second;
        reader.token(pos); // number
        reader.token(pos); // generation
        if (reader.token(pos) != "obj")
            return std::nullopt;
        return reader.parse(pos);
    }

    // A reference followed to its value; other values as they are.
    std::optional<Value> resolve(const Value* value) const
    {
        if (!value)
            return std::nullopt;
        return value->kind == Value::Ref ? object(value->ref) : std::optional<Value>(*value);
    }
};

struct PageObject {
    int number = 0;
    Value dict;
    Value resources; // inherited when the page has none
    std::array<double, 4> mediaBox{0, 0, 612, 792};
};

bool collectPages(const Document& doc, int number, const Value* inheritedResources,
    const std::array<double, 4>& inheritedBox, std::vector<PageObject>& pages, int depth = 0)
{
    auto node = doc.object(number);
    if (!node || node->kind != Value::Dict || depth > 32)
        return false;
    std::array<double, 4> box = inheritedBox;
    if (auto media = doc.resolve(node->find("/MediaBox")); media && media->items.size() == 4) {
        for (int i = 0; i < 4; ++i)
            box[static_cast<std::size_t>(i)] = media->items[static_cast<std::size_t>(i)].raw.toDouble();
    }
    auto resources = doc.resolve(node->find("/Resources"));
    const Value* nodeResources = resources ? &*resources : inheritedResources;
    const Value* type = node->find("/Type");
    if (type && type->raw == "/Page") {
        PageObject page{number, *node, nodeResources ? *nodeResources : Value{Value::Dict, "<<>>", {}, {}, 0}, box};
        pages.push_back(std::move(page));
        return true;
    }
    auto kids = doc.resolve(node->find("/Kids"));
    if (!kids || kids->kind != Value::Array)
        return false;
    for (const Value& kid : kids->items) {
        if (kid.kind != Value::Ref || !collectPages(doc, kid.ref, nodeResources, box, pages, depth + 1))
            return false;
    }
    return true;
}

// ---- Writing the header and footer ----

constexpr char FontName[] = "/ZarnHeaderFooter";
constexpr double FontSize = 9;

// Advance widths of Helvetica (1/1000 of the size) for the characters 32 to 126.
constexpr std::array<int, 95> HelveticaWidths{278, 278, 355, 556, 556, 889, 667, 191, 333, 333, 389, 584, 278, 333, 278,
    278, 556, 556, 556, 556, 556, 556, 556, 556, 556, 556, 278, 278, 584, 584, 584, 556, 1015, 667, 667, 722, 722, 667,
    611, 778, 722, 278, 500, 667, 556, 833, 722, 778, 667, 778, 722, 667, 611, 722, 667, 944, 667, 667, 611, 278, 278,
    278, 469, 556, 333, 556, 556, 500, 556, 556, 278, 556, 556, 222, 222, 500, 222, 833, 556, 556, 556, 556, 333, 500,
    278, 556, 500, 722, 500, 500, 500, 334, 260, 334, 584};

// The text in the font's encoding (Latin-1; other characters become "?").
QByteArray encode(const QString& text)
{
    QByteArray bytes;
    for (const QChar c : text)
        bytes += c.unicode() >= 0x20 && c.unicode() <= 0xFF ? char(c.unicode()) : '?';
    return bytes;
}

double textWidth(const QByteArray& bytes)
{
    double width = 0;
    for (const char c : bytes) {
        const auto code = static_cast<unsigned char>(c);
        width += code >= 32 && code <= 126 ? HelveticaWidths[code - 32] : 556;
    }
    return width * FontSize / 1000;
}

QByteArray pdfString(const QByteArray& bytes)
{
    QByteArray out = "(";
    for (const char c : bytes) {
        if (c == '(' || c == ')' || c == '\\')
            out += '\\';
        out += c;
    }
    return out + ")";
}

QByteArray number(double value) { return QByteArray::number(value, 'f', 2); }

// Text operators for one line of left, centre and right parts at baseline y.
QByteArray lineOperators(const QStringList& parts, double left, double right, double y)
{
    QByteArray ops;
    for (qsizetype i = 0; i < parts.size(); ++i) {
        const QByteArray bytes = encode(parts.at(i));
        if (bytes.isEmpty())
            continue;
        const bool isRight = i == parts.size() - 1 && parts.size() > 1;
        const bool isCentre = parts.size() == 3 && i == 1;
        const double width = textWidth(bytes);
        const double x = isRight ? right - width : isCentre ? (left + right - width) / 2 : left;
        ops += "BT " + QByteArray(FontName) + " " + number(FontSize) + " Tf " + number(x) + " " + number(y) + " Td "
            + pdfString(bytes) + " Tj ET\n";
    }
    return ops;
}

QByteArray streamObject(int number, const QByteArray& content)
{
    return QByteArray::number(number) + " 0 obj\n<< /Length " + QByteArray::number(content.size()) + " >>\nstream\n"
        + content + "\nendstream\nendobj\n";
}

QByteArray dictText(const std::vector<std::pair<QByteArray, QByteArray>>& entries)
{
    QByteArray text = "<<";
    for (const auto& [key, value] : entries)
        text += " " + key + " " + value;
    return text + " >>";
}

std::vector<std::pair<QByteArray, QByteArray>> rawEntries(const Value& dict)
{
    std::vector<std::pair<QByteArray, QByteArray>> entries;
    for (const auto& [key, value] : dict.entries)
        entries.emplace_back(key, value.raw);
    return entries;
}

void setEntry(std::vector<std::pair<QByteArray, QByteArray>>& entries, const QByteArray& key, const QByteArray& value)
{
    for (auto& entry : entries) {
        if (entry.first == key) {
            entry.second = value;
            return;
        }
    }
    entries.emplace_back(key, value);
}

QByteArray ref(int number) { return QByteArray::number(number) + " 0 R"; }

} // namespace

QStringList ExpandHeaderCodes(const QString& codes, const PageFacts& facts)
{
    // Split at "&b" codes only, so that "&&b" stays a literal "&b".
    QStringList raw{QString()};
    for (qsizetype i = 0; i < codes.size(); ++i) {
        if (codes.at(i) == QLatin1Char('&') && i + 1 < codes.size()) {
            if (codes.at(i + 1) == QLatin1Char('b')) {
                if (raw.size() < 3)
                    raw.append(QString());
                ++i;
                continue;
            }
            raw.last() += codes.mid(i, 2);
            ++i;
            continue;
        }
        raw.last() += codes.at(i);
    }
    QStringList parts;
    for (const QString& part : raw)
        parts.append(expandCodes(part, facts));
    return parts;
}

bool StampHeaderFooter(
    QByteArray& pdf, const QString& header, const QString& footer, PageFacts facts, const HeaderFooterMargins& margins)
{
    Document doc(pdf);
    if (!doc.load())
        return false;
    const Value* root = doc.trailer.find("/Root");
    auto catalog = root && root->kind == Value::Ref ? doc.object(root->ref) : std::nullopt;
    const Value* pagesRef = catalog ? catalog->find("/Pages") : nullptr;
    std::vector<PageObject> pages;
    if (!pagesRef || pagesRef->kind != Value::Ref || !collectPages(doc, pagesRef->ref, nullptr, {0, 0, 612, 792}, pages)
        || pages.empty())
        return false;

    QByteArray update = pdf.endsWith('\n') ? QByteArray() : QByteArray("\n");
    std::map<int, qsizetype> written;
    int next = doc.size;
    auto add = [&](int number, const QByteArray& text) {
        written[number] = pdf.size() + update.size();
        update += text;
    };
    const int font = next++;
    add(font,
        QByteArray::number(font)
            + " 0 obj\n<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica /Encoding /WinAnsiEncoding >>\nendobj\n");
    const int saveState = next++;
    add(saveState, streamObject(saveState, "q"));

    facts.PageCount = static_cast<int>(pages.size());
    for (std::size_t i = 0; i < pages.size(); ++i) {
        const PageObject& page = pages[i];
        facts.Page = static_cast<int>(i) + 1;
        const auto& [x0, y0, x1, y1] = page.mediaBox;
        const double left = x0 + margins.Left, right = x1 - margins.Right;
        const double headerY = y1 - std::max(margins.Top / 2, FontSize * 1.5);
        const double footerY = y0 + std::max(margins.Bottom / 2 - FontSize / 2, FontSize);
        const QByteArray text = "Q\nq 0 g\n" + lineOperators(ExpandHeaderCodes(header, facts), left, right, headerY)
            + lineOperators(ExpandHeaderCodes(footer, facts), left, right, footerY) + "Q";
        const int stamp = next++;
        add(stamp, streamObject(stamp, text));

        // Contents: save the state, the page's own content, restore and stamp.
        QByteArray contents = "[" + ref(saveState);
        if (const Value* own = page.dict.find("/Contents")) {
            auto resolved = own->kind == Value::Ref ? doc.object(own->ref) : std::nullopt;
            if (resolved && resolved->kind == Value::Array) {
                for (const Value& item : resolved->items)
                    contents += " " + item.raw;
            } else if (own->kind == Value::Array) {
                for (const Value& item : own->items)
                    contents += " " + item.raw;
            } else
                contents += " " + own->raw;
        }
        contents += " " + ref(stamp) + "]";

        auto resources = rawEntries(page.resources);
        auto fonts = doc.resolve(page.resources.find("/Font"));
        auto fontEntries = fonts && fonts->kind == Value::Dict ? rawEntries(*fonts)
                                                               : std::vector<std::pair<QByteArray, QByteArray>>();
        setEntry(fontEntries, FontName, ref(font));
        setEntry(resources, "/Font", dictText(fontEntries));

        auto pageEntries = rawEntries(page.dict);
        setEntry(pageEntries, "/Contents", contents);
        setEntry(pageEntries, "/Resources", dictText(resources));
        add(page.number, QByteArray::number(page.number) + " 0 obj\n" + dictText(pageEntries) + "\nendobj\n");
    }

    const qsizetype xref = pdf.size() + update.size();
    update += "xref\n0 1\n0000000000 65535 f \n";
    for (const auto& [number, offset] : written) {
        update
            += QByteArray::number(number) + " 1\n" + QByteArray::number(offset).rightJustified(10, '0') + " 00000 n \n";
    }
    auto trailer = rawEntries(doc.trailer);
    setEntry(trailer, "/Size", QByteArray::number(next));
    setEntry(trailer, "/Prev", QByteArray::number(doc.startXref));
    update += "trailer\n" + dictText(trailer) + "\nstartxref\n" + QByteArray::number(xref) + "\n%%EOF\n";
    pdf += update;
    return true;
}
