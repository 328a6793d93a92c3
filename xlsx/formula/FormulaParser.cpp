// Recursive descent over the spreadsheet program's precedence: ":" binds tightest, then negation, "%", "^",
// "* /", "+ -", "&", comparisons.
#include "xlsx/formula/Formula.h"

#include <charconv>
#include <optional>
#include <string>

namespace formula {

namespace {

bool IsNameStart(QChar c)
{
    return c.isLetter() || c == u'_' || c == u'\\';
}

bool IsNameChar(QChar c)
{
    return c.isLetterOrNumber() || c == u'_' || c == u'\\' || c == u'.' || c == u'?';
}

bool IsAsciiDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

bool IsAsciiLetter(QChar c)
{
    return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z');
}

// Only a-z: other letters keep their case, as some grow into several characters in capitals.
QString AsciiUpper(QStringView text)
{
    QString upper = text.toString();
    for (QChar &c : upper) {
        if (c >= u'a' && c <= u'z')
            c = QChar(c.unicode() - 'a' + 'A');
    }
    return upper;
}

class Parser
{
public:
    Parser(QStringView text, const Limits &limits) : m_text(text), m_limits(limits) {}

    Result<Formula> Run()
    {
        if (m_text.size() > m_limits.formulaLength)
            return Refusal{Refusal::Kind::TooLong, QString::number(m_limits.formulaLength)};
        SkipBlanks();
        const int root = Expression(0);
        SkipBlanks();
        if (!m_refusal && m_pos < m_text.size())
            Fail();
        if (m_refusal)
            return *m_refusal;
        m_formula.root = root;
        return std::move(m_formula);
    }

private:
    QStringView m_text;
    const Limits &m_limits;
    qsizetype m_pos = 0;
    std::optional<Refusal> m_refusal;
    Formula m_formula;

    QChar Peek(qsizetype ahead = 0) const { return m_pos + ahead < m_text.size() ? m_text[m_pos + ahead] : QChar(); }

    void SkipBlanks()
    {
        while (m_pos < m_text.size() && (Peek() == u' ' || Peek() == u'\n' || Peek() == u'\r' || Peek() == u'\t'))
            ++m_pos;
    }

    int Fail()
    {
        if (!m_refusal)
            m_refusal = Refusal{Refusal::Kind::Syntax, QString::number(std::min(m_pos, m_text.size()) + 1)};
        return -1;
    }

    int Refuse(Refusal::Kind kind, QString subject = {})
    {
        if (!m_refusal)
            m_refusal = Refusal{kind, std::move(subject)};
        return -1;
    }

    int Add(Node node)
    {
        m_formula.nodes.push_back(std::move(node));
        return int(m_formula.nodes.size()) - 1;
    }

    bool TooDeep(int depth)
    {
        if (depth <= m_limits.nesting)
            return false;
        Refuse(Refusal::Kind::TooDeep, QString::number(m_limits.nesting));
        return true;
    }

    std::optional<Op> ComparisonOp()
    {
        const QChar c = Peek();
        const QChar next = Peek(1);
        if (c == u'=')
            return m_pos += 1, Op::Equal;
        if (c == u'<' && next == u'>')
            return m_pos += 2, Op::NotEqual;
        if (c == u'<' && next == u'=')
            return m_pos += 2, Op::LessEqual;
        if (c == u'>' && next == u'=')
            return m_pos += 2, Op::GreaterEqual;
        if (c == u'<')
            return m_pos += 1, Op::Less;
        if (c == u'>')
            return m_pos += 1, Op::Greater;
        return std::nullopt;
    }

    std::optional<Op> LevelOp(int level)
    {
        const QChar c = Peek();
        switch (level) {
        case 0:
            return ComparisonOp();
        case 1:
            return c == u'&' ? std::optional(Op::Concat) : std::nullopt;
        case 2:
            return c == u'+' ? std::optional(Op::Add) : c == u'-' ? std::optional(Op::Subtract) : std::nullopt;
        case 3:
            return c == u'*' ? std::optional(Op::Multiply) : c == u'/' ? std::optional(Op::Divide) : std::nullopt;
        default:
            return c == u'^' ? std::optional(Op::Power) : std::nullopt;
        }
    }

    int Expression(int depth) { return Level(0, depth); }

    // A chain of one precedence level, left to right, as one node.
    int Level(int level, int depth)
    {
        if (TooDeep(depth))
            return -1;
        const int first = level == 4 ? Postfix(depth) : Level(level + 1, depth);
        if (first < 0)
            return -1;
        Node chain;
        chain.kind = Node::Kind::Chain;
        chain.children.push_back(first);
        for (;;) {
            SkipBlanks();
            std::optional<Op> op = LevelOp(level);
            if (!op)
                break;
            if (level != 0)
                ++m_pos;
            SkipBlanks();
            const int next = level == 4 ? Postfix(depth + 1) : Level(level + 1, depth + 1);
            if (next < 0)
                return -1;
            chain.ops.push_back(*op);
            chain.children.push_back(next);
        }
        return chain.ops.empty() ? first : Add(std::move(chain));
    }

    int Postfix(int depth)
    {
        int operand = Unary(depth);
        for (;;) {
            if (operand < 0)
                return -1;
            SkipBlanks();
            if (Peek() != u'%')
                return operand;
            ++m_pos;
            if (TooDeep(++depth))
                return -1;
            operand = Add(Node{.kind = Node::Kind::Unary, .op = Op::Percent, .children = {operand}});
        }
    }

    int Unary(int depth)
    {
        if (TooDeep(depth))
            return -1;
        SkipBlanks();
        const QChar c = Peek();
        if (c == u'-' || c == u'+') {
            ++m_pos;
            const int operand = Unary(depth + 1);
            if (operand < 0)
                return -1;
            return Add(Node{.kind = Node::Kind::Unary, .op = c == u'-' ? Op::Negate : Op::Plus, .children = {operand}});
        }
        return RangeChain(depth);
    }

    int RangeChain(int depth)
    {
        int left = Primary(depth);
        for (;;) {
            if (left < 0)
                return -1;
            const qsizetype before = m_pos;
            SkipBlanks();
            if (Peek() == u':') {
                ++m_pos;
                SkipBlanks();
                const int right = Primary(depth + 1);
                if (right < 0)
                    return -1;
                Node range{.kind = Node::Kind::Chain, .ops = {Op::Range}, .children = {left, right}};
                left = Add(std::move(range));
                if (TooDeep(++depth))
                    return -1;
                continue;
            }
            if (m_pos > before && StartsOperand())
                return Refuse(Refusal::Kind::Construct, QStringLiteral("the intersection of references"));
            return left;
        }
    }

    bool StartsOperand() const
    {
        const QChar c = Peek();
        return IsNameStart(c) || IsAsciiDigit(c) || c == u'$' || c == u'\'' || c == u'(' || c == u'"' || c == u'#' ||
               c == u'.' || c == u'[';
    }

    int Primary(int depth)
    {
        SkipBlanks();
        const QChar c = Peek();
        if (c == u'(')
            return Parenthesised(depth);
        if (c == u'"')
            return Text();
        if (c == u'#')
            return ErrorLiteral();
        if (c == u'{')
            return Refuse(Refusal::Kind::Construct, QStringLiteral("an array constant"));
        if (c == u'[')
            return Refuse(Refusal::Kind::ExternalReference);
        if (IsAsciiDigit(c) || c == u'.' || c == u'$' || c == u'\'' || IsNameStart(c))
            return ReferenceOrName(depth);
        return Fail();
    }

    int Parenthesised(int depth)
    {
        ++m_pos;
        const int inner = Expression(depth + 1);
        if (inner < 0)
            return -1;
        SkipBlanks();
        if (Peek() == u',')
            return Refuse(Refusal::Kind::Construct, QStringLiteral("a union of references"));
        if (Peek() != u')')
            return Fail();
        ++m_pos;
        return inner;
    }

    int Text()
    {
        ++m_pos;
        QString text;
        for (;;) {
            if (m_pos >= m_text.size())
                return Fail();
            if (Peek() == u'"') {
                if (Peek(1) != u'"')
                    break;
                ++m_pos;
            }
            text += Peek();
            ++m_pos;
        }
        ++m_pos;
        return Add(Node{.kind = Node::Kind::Text, .text = std::move(text)});
    }

    int ErrorLiteral()
    {
        static constexpr QStringView Errors[] = {u"#NULL!", u"#DIV/0!", u"#VALUE!", u"#REF!",
                                                 u"#NAME?", u"#NUM!",   u"#N/A"};
        const QStringView rest = m_text.mid(m_pos);
        for (QStringView error : Errors) {
            if (rest.startsWith(error, Qt::CaseInsensitive)) {
                m_pos += error.size();
                return Add(Node{.kind = Node::Kind::Error, .error = *ErrorFromText(error)});
            }
        }
        qsizetype end = 1;
        while (end < rest.size() && (IsNameChar(rest[end]) || rest[end] == u'!' || rest[end] == u'/'))
            ++end;
        return Refuse(Refusal::Kind::Construct, QStringLiteral("the error value ") + rest.left(end).toString());
    }

    int Number()
    {
        std::string digits;
        qsizetype p = m_pos;
        auto takeDigits = [&] {
            while (p < m_text.size() && IsAsciiDigit(m_text[p]))
                digits += char(m_text[p++].unicode());
        };
        takeDigits();
        if (p < m_text.size() && m_text[p] == u'.') {
            digits += '.';
            ++p;
            takeDigits();
        }
        if (p < m_text.size() && (m_text[p] == u'e' || m_text[p] == u'E')) {
            qsizetype q = p + 1;
            if (q < m_text.size() && (m_text[q] == u'+' || m_text[q] == u'-'))
                ++q;
            if (q < m_text.size() && IsAsciiDigit(m_text[q])) {
                digits += 'e';
                digits += char(m_text[p + 1].unicode());
                p = q;
                takeDigits();
            }
        }
        double value = 0;
        const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
        if (ec != std::errc() || end != digits.data() + digits.size())
            return Fail();
        m_pos = p;
        return Add(Node{.kind = Node::Kind::Number, .number = value});
    }

    // A sheet name before "!": quoted with '' for ', or plain.
    std::optional<QString> SheetPrefix()
    {
        const qsizetype start = m_pos;
        QString sheet;
        if (Peek() == u'\'') {
            qsizetype p = m_pos + 1;
            for (;;) {
                if (p >= m_text.size())
                    return std::nullopt;
                if (m_text[p] == u'\'') {
                    if (p + 1 < m_text.size() && m_text[p + 1] == u'\'') {
                        sheet += u'\'';
                        p += 2;
                        continue;
                    }
                    break;
                }
                sheet += m_text[p++];
            }
            if (p + 1 >= m_text.size() || m_text[p + 1] != u'!')
                return std::nullopt;
            m_pos = p + 2;
            return sheet;
        }
        qsizetype p = m_pos;
        while (p < m_text.size() && (IsNameChar(m_text[p]) || m_text[p] == u':'))
            ++p;
        if (p >= m_text.size() || m_text[p] != u'!' || p == start)
            return std::nullopt;
        m_pos = p + 1;
        return m_text.mid(start, p - start).toString();
    }

    // "$AB" or "$12" at p: the value and the position after it.
    struct Part {
        int value = 0;
        bool absolute = false;
        qsizetype end = 0;
    };
    std::optional<Part> ColumnPart(qsizetype p) const
    {
        Part part;
        if (p < m_text.size() && m_text[p] == u'$')
            part.absolute = true, ++p;
        const qsizetype start = p;
        while (p < m_text.size() && IsAsciiLetter(m_text[p]) && p - start < 4)
            part.value = part.value * 26 + (m_text[p++].toUpper().unicode() - 'A' + 1);
        if (p == start || p - start > 3 || part.value > MaxColumn)
            return std::nullopt;
        part.end = p;
        return part;
    }
    std::optional<Part> RowPart(qsizetype p) const
    {
        Part part;
        if (p < m_text.size() && m_text[p] == u'$')
            part.absolute = true, ++p;
        const qsizetype start = p;
        while (p < m_text.size() && IsAsciiDigit(m_text[p]) && p - start < 8)
            part.value = part.value * 10 + (m_text[p++].unicode() - '0');
        if (p == start || part.value < 1 || part.value > MaxRow)
            return std::nullopt;
        part.end = p;
        return part;
    }

    bool EndsToken(qsizetype p) const
    {
        return p >= m_text.size() || !(IsNameChar(m_text[p]) || m_text[p] == u'(' || m_text[p] == u'[');
    }

    std::optional<CellRef> Cell(qsizetype &p) const
    {
        const auto column = ColumnPart(p);
        if (!column)
            return std::nullopt;
        const auto row = RowPart(column->end);
        if (!row || !EndsToken(row->end))
            return std::nullopt;
        p = row->end;
        return CellRef{row->value, column->value, row->absolute, column->absolute};
    }

    // A1, A1:B5, A:B or 1:2 at the position; the position moves past it when found.
    std::optional<Reference> ReferenceAt()
    {
        qsizetype p = m_pos;
        Reference ref;
        if (const auto cell = Cell(p)) {
            ref.first = ref.last = *cell;
            qsizetype q = p;
            if (q < m_text.size() && m_text[q] == u':') {
                ++q;
                if (const auto last = Cell(q)) {
                    ref.shape = Reference::Shape::Area;
                    ref.last = *last;
                    p = q;
                }
            }
            m_pos = p;
            return ref;
        }
        const auto columns = [&]() -> std::optional<Reference> {
            const auto a = ColumnPart(p);
            if (!a || a->end >= m_text.size() || m_text[a->end] != u':')
                return std::nullopt;
            const auto b = ColumnPart(a->end + 1);
            if (!b || !EndsToken(b->end))
                return std::nullopt;
            p = b->end;
            return Reference{Reference::Shape::Columns,
                             false,
                             {},
                             {1, a->value, true, a->absolute},
                             {MaxRow, b->value, true, b->absolute}};
        }();
        if (columns) {
            m_pos = p;
            return columns;
        }
        const auto a = RowPart(p);
        if (!a || a->end >= m_text.size() || m_text[a->end] != u':')
            return std::nullopt;
        const auto b = RowPart(a->end + 1);
        if (!b || !EndsToken(b->end))
            return std::nullopt;
        m_pos = b->end;
        return Reference{Reference::Shape::Rows,
                         false,
                         {},
                         {a->value, 1, a->absolute, true},
                         {b->value, MaxColumn, b->absolute, true}};
    }

    int ReferenceOrName(int depth)
    {
        const std::optional<QString> sheet = SheetPrefix();
        if (sheet) {
            if (sheet->startsWith(u'['))
                return Refuse(Refusal::Kind::ExternalReference);
            if (sheet->contains(u':'))
                return Refuse(Refusal::Kind::Construct, QStringLiteral("a reference through several sheets"));
            if (m_text.mid(m_pos).startsWith(u"#REF!", Qt::CaseInsensitive)) {
                m_pos += 5;
                return Add(Node{.kind = Node::Kind::Error, .error = ErrorValue::Ref});
            }
        }
        if (auto ref = ReferenceAt()) {
            if (sheet) {
                ref->hasSheet = true;
                ref->sheet = *sheet;
            }
            return Add(Node{.kind = Node::Kind::Reference, .reference = std::move(*ref)});
        }
        if (!sheet && (IsAsciiDigit(Peek()) || Peek() == u'.'))
            return Number();
        if (!IsNameStart(Peek()))
            return Fail();
        const qsizetype nameStart = m_pos;
        while (m_pos < m_text.size() && IsNameChar(Peek()))
            ++m_pos;
        QString name = AsciiUpper(m_text.mid(nameStart, m_pos - nameStart));
        if (Peek() == u'[')
            return Refuse(Refusal::Kind::Construct, QStringLiteral("a table reference"));
        if (!sheet && Peek() == u'(')
            return Call(std::move(name), depth);
        if (!sheet && (name == u"TRUE" || name == u"FALSE"))
            return Add(Node{.kind = Node::Kind::Boolean, .boolean = name == u"TRUE"});
        Node node{.kind = Node::Kind::Name, .text = std::move(name)};
        if (sheet) {
            node.reference.hasSheet = true;
            node.reference.sheet = *sheet;
        }
        return Add(std::move(node));
    }

    int Call(QString name, int depth)
    {
        // Newer functions are stored behind a prefix; every prefix before a name goes, so that a printed name
        // reads back alike.
        for (bool stripped = true; stripped;) {
            stripped = false;
            for (QStringView prefix : {QStringView(u"_XLFN."), QStringView(u"_XLWS.")}) {
                if (name.startsWith(prefix) && name.size() > prefix.size() &&
                    (name.at(prefix.size()).isLetter() || name.at(prefix.size()) == u'_')) {
                    name.remove(0, prefix.size());
                    stripped = true;
                }
            }
        }
        ++m_pos;
        Node call{.kind = Node::Kind::Call, .text = std::move(name)};
        SkipBlanks();
        if (Peek() == u')') {
            ++m_pos;
            return Add(std::move(call));
        }
        for (;;) {
            SkipBlanks();
            int argument;
            if (Peek() == u',' || Peek() == u')') {
                argument = Add(Node{.kind = Node::Kind::Missing});
            } else {
                argument = Expression(depth + 1);
                if (argument < 0)
                    return -1;
                SkipBlanks();
            }
            call.children.push_back(argument);
            if (Peek() == u')') {
                ++m_pos;
                return Add(std::move(call));
            }
            if (Peek() != u',')
                return Fail();
            ++m_pos;
        }
    }
};

} // namespace

Result<Formula> ParseFormula(QStringView text, const Limits &limits)
{
    return Parser(text, limits).Run();
}

} // namespace formula
