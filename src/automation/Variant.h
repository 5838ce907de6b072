// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <memory>
#include <variant>

namespace Automation {

class Dispatch;
class VariantArray;
using DispatchPtr = std::shared_ptr<Dispatch>;

// A value passed to or returned by an automation call. The types and their numbers are OLE automation's
// VARTYPE codes, so that a COM backend converts a Variant to a VARIANT field for field. Values are built
// through the named factories only, so that every call states the type it passes (a 16-bit -4167 is not a
// 32-bit one to the server).
class Variant
{
public:
    enum class Type : quint16 {
        Empty = 0,      // VT_EMPTY
        Int16 = 2,      // VT_I2
        Int32 = 3,      // VT_I4
        String = 8,     // VT_BSTR
        Dispatch = 9,   // VT_DISPATCH
        Bool = 11,      // VT_BOOL: true is -1, false is 0
        Array = 0x200C, // VT_ARRAY | VT_VARIANT
    };
    static constexpr quint16 ByRefFlag = 0x4000; // VT_BYREF

    Variant() = default; // empty
    static Variant Bool(bool value);
    static Variant I2(qint16 value);
    static Variant I4(qint32 value);
    static Variant Str(const QString& value);
    static Variant Object(DispatchPtr object);
    // The array is passed by reference: the server sees the caller's array, not a copy.
    static Variant ArrayRef(std::shared_ptr<VariantArray> array);

    Type type() const noexcept;
    // Arrays, and only they, are passed by reference.
    bool isByRef() const noexcept { return type() == Type::Array; }
    bool isEmpty() const noexcept { return m_value.index() == 0; }
    // The VARTYPE with the by-reference flag.
    quint16 vt() const noexcept { return quint16(quint16(type()) | (isByRef() ? ByRefFlag : 0)); }
    // "VT_I2", "VT_BSTR", "VT_BYREF|VT_ARRAY|VT_VARIANT"...
    QString TypeName() const;
    // The raw VARIANT_BOOL of a boolean: -1 or 0.
    qint16 BoolValue() const;

    // Conversions as a server coerces its arguments; EAutomationError ("type mismatch") when impossible.
    bool ToBool() const;          // Bool, or a number (non-zero is true)
    qint32 ToInt() const;         // Int16, Int32, Bool, or a string holding a whole number
    QString ToString() const;     // String, or a number written in decimal
    DispatchPtr ToObject() const; // Dispatch only
    const std::shared_ptr<VariantArray>& ToArray() const; // Array only

    // The type and the value in one short text, for logs and tests: "VT_I2 -4167", "VT_BSTR \"A1\"".
    QString Describe() const;

private:
    // A 16- or 32-bit number or a truth value (-1 or 0), with its type.
    struct Number
    {
        qint32 value;
        Type type;
    };
    // The type is the alternative held (a number's own for numbers), so that a variant takes no more room
    // than a string and the variant's tag: an array of a whole archive's cells holds millions of them.
    using Value = std::variant<std::monostate, Number, QString, DispatchPtr, std::shared_ptr<VariantArray>>;
    explicit Variant(Value value);

    Value m_value;
};

} // namespace Automation
