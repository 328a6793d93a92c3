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

    Result<Formula> run()
    {
        if (m_text.size() > m_limits.formulaLength)
            return Refusal{Refusal::Kind::TooLong, QString::number(m_limits.formulaLength)};
        skipBlanks();
        const int root = expression(0);
        skipBlanks();
        if (!m_refusal && m_pos < m_text.size())
            fail();
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

    QChar peek(qsizetype ahead = 0) const { return m_pos + ahead < m_text.size() ? m_text[m_pos + ahead] : QChar(); }

    void skipBlanks()
    {
        while (m_pos < m_text.size() && (peek() == u' ' || peek() == u'\n' || peek() == u'\r' || peek() == u'\t'))
            ++m_pos;
    }

    int fail()
    {
        if (!m_refusal)
            m_refusal = Refusal{Refusal::Kind::Syntax, QString::number(std::min(m_pos, m_text.size()) + 1)};
        return -1;
    }

    int refuse(Refusal::Kind kind, QString subject = {})
    {
        if (!m_refusal)
            m_refusal = Refusal{kind, std::move(subject)};
        return -1;
    }

    int add(Node node)
    {
        m_formula.nodes.push_back(std::move(node));
        return int(m_formula.nodes.size()) - 1;
    }

    bool tooDeep(int depth)
    {
        if (depth <= m_limits.nesting)
            return false;
        refuse(Refusal::Kind::TooDeep, QString::number(m_limits.nesting));
        return true;
    }

    std::optional<Op> comparisonOp()
    {
        const QChar c = peek();
        const QChar next = peek(1);
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

    std::optional<Op> levelOp(int level)
    {
        const QChar c = peek();
        switch (level) {
        case 0:
            return comparisonOp();
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

    int expression(int depth) { return chainAt(0, depth); }

    // A chain of one precedence level, left to right, as one node.
    int chainAt(int level, int depth)
    {
        if (tooDeep(depth))
            return -1;
        const int first = level == 4 ? postfix(depth) : chainAt(level + 1, depth);
        if (first < 0)
            return -1;
        Node chain;
        chain.kind = Node::Kind::Chain;
        chain.children.push_back(first);
        for (;;) {
            skipBlanks();
            std::optional<Op> op = levelOp(level);
            if (!op)
                break;
            if (level != 0)
                ++m_pos;
            skipBlanks();
            const int next = level == 4 ? postfix(depth + 1) : chainAt(level + 1, depth + 1);
            if (next < 0)
                return -1;
            chain.ops.push_back(*op);
            chain.children.push_back(next);
        }
        return chain.ops.empty() ? first : add(std::move(chain));
    }

    int postfix(int depth)
    {
        int operand = unary(depth);
        for (;;) {
            if (operand < 0)
                return -1;
            skipBlanks();
            if (peek() != u'%')
                return operand;
            ++m_pos;
            if (tooDeep(++depth))
                return -1;
            operand = add(Node{.kind = Node::Kind::Unary, .op = Op::Percent, .children = {operand}});
        }
    }

    int unary(int depth)
    {
        if (tooDeep(depth))
            return -1;
        skipBlanks();
        const QChar c = peek();
        if (c == u'-' || c == u'+') {
            ++m_pos;
            const int operand = unary(depth + 1);
            if (operand < 0)
                return -1;
            return add(Node{.kind = Node::Kind::Unary, .op = c == u'-' ? Op::Negate : Op::Plus, .children = {operand}});
        }
        return rangeChain(depth);
    }

    int rangeChain(int depth)
    {
        int left = primary(depth);
        for (;;) {
            if (left < 0)
                return -1;
            const qsizetype before = m_pos;
            skipBlanks();
            if (peek() == u':') {
                ++m_pos;
                skipBlanks();
                const int right = primary(depth + 1);
                if (right < 0)
                    return -1;
                Node range{.kind = Node::Kind::Chain, .ops = {Op::Range}, .children = {left, right}};
                left = add(std::move(range));
                if (tooDeep(++depth))
                    return -1;
                continue;
            }
            if (m_pos > before && startsOperand())
                return refuse(Refusal::Kind::Construct, QStringLiteral("the intersection of references"));
            return left;
        }
    }

    bool startsOperand() const
    {
        const QChar c = peek();
        return IsNameStart(c) || IsAsciiDigit(c) || c == u'$' || c == u'\'' || c == u'(' || c == u'"' || c == u'#' ||
               c == u'.' || c == u'[';
    }

    int primary(int depth)
    {
        skipBlanks();
        const QChar c = peek();
        if (c == u'(')
            return parenthesised(depth);
        if (c == u'"')
            return text();
        if (c == u'#')
            return errorLiteral();
        if (c == u'{')
            return refuse(Refusal::Kind::Construct, QStringLiteral("an array constant"));
        if (c == u'[')
            return refuse(Refusal::Kind::ExternalReference);
        if (IsAsciiDigit(c) || c == u'.' || c == u'$' || c == u'\'' || IsNameStart(c))
            return referenceOrName(depth);
        return fail();
    }

    int parenthesised(int depth)
    {
        ++m_pos;
        const int inner = expression(depth + 1);
        if (inner < 0)
            return -1;
        skipBlanks();
        if (peek() == u',')
            return refuse(Refusal::Kind::Construct, QStringLiteral("a union of references"));
        if (peek() != u')')
            return fail();
        ++m_pos;
        return inner;
    }

    int text()
    {
        ++m_pos;
        QString text;
        for (;;) {
            if (m_pos >= m_text.size())
                return fail();
            if (peek() == u'"') {
                if (peek(1) != u'"')
                    break;
                ++m_pos;
            }
            text += peek();
            ++m_pos;
        }
        ++m_pos;
        return add(Node{.kind = Node::Kind::Text, .text = std::move(text)});
    }

    int errorLiteral()
    {
        static constexpr QStringView Errors[] = {u"#NULL!", u"#DIV/0!", u"#VALUE!", u"#REF!",
                                                 u"#NAME?", u"#NUM!",   u"#N/A"};
        const QStringView rest = m_text.mid(m_pos);
        for (QStringView error : Errors) {
            if (rest.startsWith(error, Qt::CaseInsensitive)) {
                m_pos += error.size();
                return add(Node{.kind = Node::Kind::Error, .error = *ErrorFromText(error)});
            }
        }
        qsizetype end = 1;
        while (end < rest.size() && (IsNameChar(rest[end]) || rest[end] == u'!' || rest[end] == u'/'))
            ++end;
        return refuse(Refusal::Kind::Construct, QStringLiteral("the error value ") + rest.left(end).toString());
    }

    int number()
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
            return fail();
        m_pos = p;
        return add(Node{.kind = Node::Kind::Number, .number = value});
    }

    // A sheet name before "!": quoted with '' for ', or plain.
    std::optional<QString> sheetPrefix()
    {
        const qsizetype start = m_pos;
        QString sheet;
        if (peek() == u'\'') {
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
    std::optional<Part> columnPart(qsizetype p) const
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
    std::optional<Part> rowPart(qsizetype p) const
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

    bool endsToken(qsizetype p) const
    {
        return p >= m_text.size() || !(IsNameChar(m_text[p]) || m_text[p] == u'(' || m_text[p] == u'[');
    }

    std::optional<CellRef> cellRefAt(qsizetype &p) const
    {
        const auto column = columnPart(p);
        if (!column)
            return std::nullopt;
        const auto row = rowPart(column->end);
        if (!row || !endsToken(row->end))
            return std::nullopt;
        p = row->end;
        return CellRef{row->value, column->value, row->absolute, column->absolute};
    }

    // A1, A1:B5, A:B or 1:2 at the position; the position moves past it when found.
    std::optional<Reference> referenceAt()
    {
        qsizetype p = m_pos;
        Reference ref;
        if (const auto cell = cellRefAt(p)) {
            ref.first = ref.last = *cell;
            qsizetype q = p;
            if (q < m_text.size() && m_text[q] == u':') {
                ++q;
                if (const auto last = cellRefAt(q)) {
                    ref.shape = Reference::Shape::Area;
                    ref.last = *last;
                    p = q;
                }
            }
            m_pos = p;
            return ref;
        }
        const auto columns = [&]() -> std::optional<Reference> {
            const auto a = columnPart(p);
            if (!a || a->end >= m_text.size() || m_text[a->end] != u':')
                return std::nullopt;
            const auto b = columnPart(a->end + 1);
            if (!b || !endsToken(b->end))
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
        const auto a = rowPart(p);
        if (!a || a->end >= m_text.size() || m_text[a->end] != u':')
            return std::nullopt;
        const auto b = rowPart(a->end + 1);
        if (!b || !endsToken(b->end))
            return std::nullopt;
        m_pos = b->end;
        return Reference{Reference::Shape::Rows,
                         false,
                         {},
                         {a->value, 1, a->absolute, true},
                         {b->value, MaxColumn, b->absolute, true}};
    }

    int referenceOrName(int depth)
    {
        const std::optional<QString> sheet = sheetPrefix();
        if (sheet) {
            if (sheet->startsWith(u'['))
                return refuse(Refusal::Kind::ExternalReference);
            if (sheet->contains(u':'))
                return refuse(Refusal::Kind::Construct, QStringLiteral("a reference through several sheets"));
            if (m_text.mid(m_pos).startsWith(u"#REF!", Qt::CaseInsensitive)) {
                m_pos += 5;
                return add(Node{.kind = Node::Kind::Error, .error = ErrorValue::Ref});
            }
        }
        if (auto ref = referenceAt()) {
            if (sheet) {
                ref->hasSheet = true;
                ref->sheet = *sheet;
            }
            return add(Node{.kind = Node::Kind::Reference, .reference = std::move(*ref)});
        }
        if (!sheet && (IsAsciiDigit(peek()) || peek() == u'.'))
            return number();
        if (!IsNameStart(peek()))
            return fail();
        const qsizetype nameStart = m_pos;
        while (m_pos < m_text.size() && IsNameChar(peek()))
            ++m_pos;
        QString name = AsciiUpper(m_text.mid(nameStart, m_pos - nameStart));
        if (peek() == u'[')
            return refuse(Refusal::Kind::Construct, QStringLiteral("a table reference"));
        if (!sheet && peek() == u'(')
            return call(std::move(name), depth);
        if (!sheet && (name == u"TRUE" || name == u"FALSE"))
            return add(Node{.kind = Node::Kind::Boolean, .boolean = name == u"TRUE"});
        Node node{.kind = Node::Kind::Name, .text = std::move(name)};
        if (sheet) {
            node.reference.hasSheet = true;
            node.reference.sheet = *sheet;
        }
        return add(std::move(node));
    }

    int call(QString name, int depth)
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
        skipBlanks();
        if (peek() == u')') {
            ++m_pos;
            return add(std::move(call));
        }
        for (;;) {
            skipBlanks();
            int argument;
            if (peek() == u',' || peek() == u')') {
                argument = add(Node{.kind = Node::Kind::Missing});
            } else {
                argument = expression(depth + 1);
                if (argument < 0)
                    return -1;
                skipBlanks();
            }
            call.children.push_back(argument);
            if (peek() == u')') {
                ++m_pos;
                return add(std::move(call));
            }
            if (peek() != u',')
                return fail();
            ++m_pos;
        }
    }
};

} // namespace

Result<Formula> ParseFormula(QStringView text, const Limits &limits)
{
    return Parser(text, limits).run();
}

} // namespace formula
