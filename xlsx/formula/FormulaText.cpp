#include "events/Number.h"
#include "xlsx/formula/Formula.h"

namespace formula {

namespace {

QString OpText(Op op)
{
    switch (op) {
    case Op::Add:
    case Op::Plus:
        return QStringLiteral("+");
    case Op::Subtract:
    case Op::Negate:
        return QStringLiteral("-");
    case Op::Multiply:
        return QStringLiteral("*");
    case Op::Divide:
        return QStringLiteral("/");
    case Op::Power:
        return QStringLiteral("^");
    case Op::Concat:
        return QStringLiteral("&");
    case Op::Equal:
        return QStringLiteral("=");
    case Op::NotEqual:
        return QStringLiteral("<>");
    case Op::Less:
        return QStringLiteral("<");
    case Op::Greater:
        return QStringLiteral(">");
    case Op::LessEqual:
        return QStringLiteral("<=");
    case Op::GreaterEqual:
        return QStringLiteral(">=");
    case Op::Range:
        return QStringLiteral(":");
    case Op::Percent:
        return QStringLiteral("%");
    }
    return {};
}

QString SheetText(const QString &sheet)
{
    QString quoted = sheet;
    quoted.replace(u'\'', QStringLiteral("''"));
    return QLatin1Char('\'') + quoted + QStringLiteral("'!");
}

QString ColumnText(const CellRef &ref)
{
    return (ref.columnAbsolute ? QStringLiteral("$") : QString()) + ColumnName(ref.column);
}

QString RowText(const CellRef &ref)
{
    return (ref.rowAbsolute ? QStringLiteral("$") : QString()) + QString::number(ref.row);
}

QString ReferenceText(const Reference &ref)
{
    QString text = ref.hasSheet ? SheetText(ref.sheet) : QString();
    switch (ref.shape) {
    case Reference::Shape::Cell:
        return text + ColumnText(ref.first) + RowText(ref.first);
    case Reference::Shape::Area:
        return text + ColumnText(ref.first) + RowText(ref.first) + QLatin1Char(':') + ColumnText(ref.last) +
               RowText(ref.last);
    case Reference::Shape::Columns:
        return text + ColumnText(ref.first) + QLatin1Char(':') + ColumnText(ref.last);
    case Reference::Shape::Rows:
        return text + RowText(ref.first) + QLatin1Char(':') + RowText(ref.last);
    }
    return text;
}

QString NodeText(const Formula &formula, int index)
{
    const Node &node = formula.nodes[size_t(index)];
    switch (node.kind) {
    case Node::Kind::Number:
        return FormatNumberG15(node.number);
    case Node::Kind::Text:
        return QLatin1Char('"') + QString(node.text).replace(u'"', QStringLiteral("\"\"")) + QLatin1Char('"');
    case Node::Kind::Boolean:
        return node.boolean ? QStringLiteral("TRUE") : QStringLiteral("FALSE");
    case Node::Kind::Error:
        return ErrorText(node.error);
    case Node::Kind::Reference:
        return ReferenceText(node.reference);
    case Node::Kind::Name:
        return (node.reference.hasSheet ? SheetText(node.reference.sheet) : QString()) + node.text;
    case Node::Kind::Unary:
        if (node.op == Op::Percent)
            return QLatin1Char('(') + NodeText(formula, node.children[0]) + QStringLiteral(")%");
        return OpText(node.op) + QLatin1Char('(') + NodeText(formula, node.children[0]) + QLatin1Char(')');
    case Node::Kind::Chain: {
        if (node.ops.front() == Op::Range) // "(5):(6)", as "5:6" would read as rows
            return QStringLiteral("((") + NodeText(formula, node.children[0]) + QStringLiteral("):(") +
                   NodeText(formula, node.children[1]) + QStringLiteral("))");
        QString text = QLatin1Char('(') + NodeText(formula, node.children[0]);
        for (size_t i = 0; i < node.ops.size(); ++i)
            text += OpText(node.ops[i]) + NodeText(formula, node.children[i + 1]);
        return text + QLatin1Char(')');
    }
    case Node::Kind::Call: {
        QString text = node.text + QLatin1Char('(');
        for (size_t i = 0; i < node.children.size(); ++i)
            text += (i ? QStringLiteral(",") : QString()) + NodeText(formula, node.children[i]);
        return text + QLatin1Char(')');
    }
    case Node::Kind::Missing:
        return {};
    }
    return {};
}

} // namespace

QString ColumnName(int column)
{
    QString name;
    for (; column > 0; column = (column - 1) / 26)
        name.prepend(QChar(u'A' + (column - 1) % 26));
    return name;
}

QString FormulaText(const Formula &formula)
{
    return formula.root < 0 ? QString() : NodeText(formula, formula.root);
}

} // namespace formula
