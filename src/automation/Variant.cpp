// SPDX-License-Identifier: GPL-3.0-or-later
#include "Variant.h"

#include "Dispatch.h"
#include "EAutomationError.h"
#include "VariantArray.h"

using namespace Qt::Literals::StringLiterals;

namespace Automation {

namespace {

[[noreturn]] void typeMismatch(const Variant& v, const char* wanted)
{
    throw EAutomationError(
        u"Tipo non corrispondente: atteso %1, ricevuto %2."_s.arg(QLatin1StringView(wanted), v.TypeName()));
}

} // namespace

static_assert(sizeof(Variant) <= sizeof(QString) + sizeof(void*));

Variant::Variant(Value value)
    : m_value(std::move(value))
{}

Variant Variant::Bool(bool value)
{
    return Variant(Number{value ? -1 : 0, Type::Bool});
}

Variant Variant::I2(qint16 value)
{
    return Variant(Number{value, Type::Int16});
}

Variant Variant::I4(qint32 value)
{
    return Variant(Number{value, Type::Int32});
}

Variant Variant::Str(const QString& value)
{
    return Variant(value);
}

Variant Variant::Object(DispatchPtr object)
{
    if (!object)
        return Variant();
    return Variant(std::move(object));
}

Variant Variant::ArrayRef(std::shared_ptr<VariantArray> array)
{
    if (!array)
        return Variant();
    return Variant(std::move(array));
}

Variant::Type Variant::type() const noexcept
{
    switch (m_value.index()) {
    case 1:
        return std::get_if<Number>(&m_value)->type;
    case 2:
        return Type::String;
    case 3:
        return Type::Dispatch;
    case 4:
        return Type::Array;
    default:
        return Type::Empty;
    }
}

QString Variant::TypeName() const
{
    QString name;
    switch (type()) {
    case Type::Empty:
        name = u"VT_EMPTY"_s;
        break;
    case Type::Int16:
        name = u"VT_I2"_s;
        break;
    case Type::Int32:
        name = u"VT_I4"_s;
        break;
    case Type::String:
        name = u"VT_BSTR"_s;
        break;
    case Type::Dispatch:
        name = u"VT_DISPATCH"_s;
        break;
    case Type::Bool:
        name = u"VT_BOOL"_s;
        break;
    case Type::Array:
        name = u"VT_ARRAY|VT_VARIANT"_s;
        break;
    }
    return isByRef() ? u"VT_BYREF|"_s + name : name;
}

qint16 Variant::BoolValue() const
{
    if (type() != Type::Bool)
        typeMismatch(*this, "VT_BOOL");
    return qint16(std::get<Number>(m_value).value);
}

bool Variant::ToBool() const
{
    switch (type()) {
    case Type::Bool:
    case Type::Int16:
    case Type::Int32:
        return std::get<Number>(m_value).value != 0;
    default:
        typeMismatch(*this, "VT_BOOL");
    }
}

qint32 Variant::ToInt() const
{
    switch (type()) {
    case Type::Bool:
    case Type::Int16:
    case Type::Int32:
        return std::get<Number>(m_value).value;
    case Type::String: {
        bool ok = false;
        const qint32 n = std::get<QString>(m_value).toInt(&ok);
        if (ok)
            return n;
        break;
    }
    default:
        break;
    }
    typeMismatch(*this, "VT_I4");
}

QString Variant::ToString() const
{
    switch (type()) {
    case Type::String:
        return std::get<QString>(m_value);
    case Type::Int16:
    case Type::Int32:
        return QString::number(std::get<Number>(m_value).value);
    default:
        typeMismatch(*this, "VT_BSTR");
    }
}

DispatchPtr Variant::ToObject() const
{
    if (type() != Type::Dispatch)
        typeMismatch(*this, "VT_DISPATCH");
    return std::get<DispatchPtr>(m_value);
}

const std::shared_ptr<VariantArray>& Variant::ToArray() const
{
    if (type() != Type::Array)
        typeMismatch(*this, "VT_ARRAY");
    return std::get<std::shared_ptr<VariantArray>>(m_value);
}

QString Variant::Describe() const
{
    switch (type()) {
    case Type::Empty:
        return TypeName();
    case Type::Bool:
        return TypeName() + (std::get<Number>(m_value).value ? u" true"_s : u" false"_s);
    case Type::Int16:
    case Type::Int32:
        return TypeName() + u' ' + QString::number(std::get<Number>(m_value).value);
    case Type::String:
        return TypeName() + u" \""_s + std::get<QString>(m_value) + u'"';
    case Type::Dispatch: {
        const QString name = std::get<DispatchPtr>(m_value)->DebugName();
        return name.isEmpty() ? TypeName() : TypeName() + u' ' + name;
    }
    case Type::Array: {
        const auto& a = std::get<std::shared_ptr<VariantArray>>(m_value);
        return TypeName() + u" [1..%1, 1..%2]"_s.arg(a->Rows()).arg(a->Columns());
    }
    }
    return TypeName();
}

VariantArray::VariantArray(int rows, int columns)
    : m_rows(qMax(0, rows))
    , m_columns(qMax(0, columns))
    , m_items(qsizetype(m_rows) * qsizetype(m_columns))
{}

int VariantArray::UpperBound(int dimension) const
{
    return dimension == 1 ? m_rows : m_columns;
}

qsizetype VariantArray::indexOf(int row, int column) const
{
    if (row < 1 || row > m_rows || column < 1 || column > m_columns)
        throw EAutomationError(
            u"Indice non incluso nell'intervallo: (%1, %2) fuori da (1..%3, 1..%4)."_s.arg(row)
                .arg(column)
                .arg(m_rows)
                .arg(m_columns));
    return qsizetype(column - 1) * m_rows + (row - 1);
}

const Variant& VariantArray::At(int row, int column) const
{
    return m_items[indexOf(row, column)];
}

void VariantArray::Set(int row, int column, Variant value)
{
    m_items[indexOf(row, column)] = std::move(value);
}

} // namespace Automation
