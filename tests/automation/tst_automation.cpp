// SPDX-License-Identifier: GPL-3.0-or-later
#include "automation/AutomationRegistry.h"
#include "automation/EAutomationError.h"
#include "automation/ServerObject.h"
#include "automation/VariantArray.h"
#include "support/RecordingServer.h"

#include <QtTest>

using namespace Qt::Literals::StringLiterals;
using namespace Automation;

namespace {

// A small server object: "Value" can be read and written, "Add" takes (Left, Right) positionally or by name.
class Calculator final : public ServerObject
{
public:
    Calculator()
    {
        Define(u"Value", InvokeKind::PropertyGet, [this](const Arguments& a) {
            BoundArguments(u"Value"_s, a, {}, 0);
            return Variant::I4(m_value);
        });
        Define(u"Value", InvokeKind::PropertyPut, [this](const Arguments& a) {
            m_value = BoundArguments(u"Value"_s, a, {u"RHS"}, 1).At(0).ToInt();
            return Variant();
        });
        Define(u"Add", InvokeKind::Method, [](const Arguments& a) {
            const BoundArguments args(u"Add"_s, a, {u"Left", u"Right"}, 2);
            return Variant::I4(args.At(0).ToInt() * 100 + args.At(1).ToInt());
        });
        Define(u"Child", InvokeKind::PropertyGet,
               [](const Arguments&) { return Variant::Object(std::make_shared<Calculator>()); });
    }

protected:
    QString TypeName() const override { return u"Calculator"_s; }

private:
    qint32 m_value = 0;
};

QString errorOf(const std::function<void()>& call)
{
    try {
        call();
    } catch (const EAutomationError& e) {
        return e.message();
    }
    return {};
}

} // namespace

class TestAutomation : public QObject
{
    Q_OBJECT

private slots:
    void variants_carryTheirAutomationTypes()
    {
        QCOMPARE(Variant().vt(), quint16(0));
        QCOMPARE(Variant::I2(-4167).vt(), quint16(2));
        QCOMPARE(Variant::I2(-4167).ToInt(), -4167);
        QCOMPARE(Variant::I4(1).vt(), quint16(3));
        QCOMPARE(Variant::Str(u"@"_s).vt(), quint16(8));
        QCOMPARE(Variant::Bool(true).vt(), quint16(11));
        // VARIANT_BOOL: true is -1, not 1.
        QCOMPARE(Variant::Bool(true).BoolValue(), qint16(-1));
        QCOMPARE(Variant::Bool(false).BoolValue(), qint16(0));
        const Variant array = Variant::ArrayRef(std::make_shared<VariantArray>(2, 3));
        QVERIFY(array.isByRef());
        QCOMPARE(array.vt(), quint16(0x4000 | 0x2000 | 12));
        QCOMPARE(array.TypeName(), u"VT_BYREF|VT_ARRAY|VT_VARIANT"_s);
        QCOMPARE(Variant::Object(std::make_shared<Calculator>()).vt(), quint16(9));

        // Coercions a server applies, and the mismatches it refuses.
        QCOMPARE(Variant::Str(u"28"_s).ToInt(), 28);
        QVERIFY(Variant::I4(2).ToBool());
        QVERIFY(!errorOf([] { Variant::Str(u"vero"_s).ToBool(); }).isEmpty());
        QVERIFY(!errorOf([] { Variant::Str(u"x"_s).ToInt(); }).isEmpty());
        QVERIFY(!errorOf([] { Variant::Bool(true).ToString(); }).isEmpty());
        QVERIFY(!errorOf([] { Variant::I4(1).ToObject(); }).isEmpty());
    }

    void arrays_areBoundedFromOne()
    {
        VariantArray a(3, 2);
        QCOMPARE(VariantArray::LowerBound(1), 1);
        QCOMPARE(VariantArray::LowerBound(2), 1);
        QCOMPARE(a.UpperBound(1), 3);
        QCOMPARE(a.UpperBound(2), 2);
        a.Set(1, 1, Variant::Str(u"first"_s));
        a.Set(3, 2, Variant::Str(u"last"_s));
        QCOMPARE(a.At(1, 1).ToString(), u"first"_s);
        QCOMPARE(a.At(3, 2).ToString(), u"last"_s);
        QVERIFY(a.At(2, 1).isEmpty());
        for (auto [r, c] : {std::pair{0, 1}, {1, 0}, {4, 1}, {1, 3}})
            QVERIFY2(!errorOf([&] { a.At(r, c); }).isEmpty(), qPrintable(u"(%1, %2)"_s.arg(r).arg(c)));
    }

    void members_areFoundWithoutRegardToCase()
    {
        Calculator calc;
        calc.Put(u"value"_s, Variant::I4(7));
        QCOMPARE(calc.Get(u"VALUE"_s).ToInt(), 7);
        QCOMPARE(calc.Call(u"aDd"_s, {Variant::I4(1), Variant::I4(2)}).ToInt(), 102);
    }

    void unknownMembersAndKinds_fail()
    {
        Calculator calc;
        QVERIFY(errorOf([&] { calc.Get(u"Valeu"_s); }).contains(u"Valeu"_s));
        // A member that exists, called in a kind it does not support.
        QVERIFY(!errorOf([&] { calc.Call(u"Value"_s); }).isEmpty());
        QVERIFY(!errorOf([&] { calc.Put(u"Add"_s, Variant::I4(1)); }).isEmpty());
        // A result that must be an object and is not.
        QVERIFY(!errorOf([&] { calc.GetObject(u"Value"_s); }).isEmpty());
        QVERIFY(calc.GetObject(u"Child"_s));
    }

    void namedArguments_bindByNameAfterPositionalOnes()
    {
        Calculator calc;
        QCOMPARE(calc.Call(u"Add"_s, {Named(u"right"_s, Variant::I4(2)), Named(u"LEFT"_s, Variant::I4(1))})
                     .ToInt(),
                 102);
        QCOMPARE(calc.Call(u"Add"_s, {Variant::I4(3), Named(u"Right"_s, Variant::I4(4))}).ToInt(), 304);
        QVERIFY(!errorOf([&] {
                     calc.Call(u"Add"_s, {Variant::I4(3), Named(u"Left"_s, Variant::I4(4))});
                 }).isEmpty());
        QVERIFY(!errorOf([&] { calc.Call(u"Add"_s, {Named(u"Middle"_s, Variant::I4(4))}); }).isEmpty());
        QVERIFY(!errorOf([&] { calc.Call(u"Add"_s, {Variant::I4(1)}); }).isEmpty());
        QVERIFY(!errorOf([&] {
                     calc.Call(u"Add"_s, {Variant::I4(1), Variant::I4(2), Variant::I4(3)});
                 }).isEmpty());
    }

    void registry_createsByProgIdAndFailsDistinctly()
    {
        Registry registry;
        registry.Register(u"Calc.Application"_s, [] { return std::make_shared<Calculator>(); });
        QVERIFY(registry.Create(u"calc.application"_s));
        try {
            registry.Create(u"Excel.Application"_s);
            QFAIL("created a server that is not registered");
        } catch (const ECreateServerError& e) {
            QVERIFY(e.message().contains(u"Excel.Application"_s));
        }
        registry.Register(u"Broken.Application"_s, [] { return DispatchPtr(); });
        QVERIFY_THROWS_EXCEPTION(ECreateServerError, registry.Create(u"Broken.Application"_s));
    }

    void references_areCountedAndReleased()
    {
        const int before = Dispatch::LiveObjects();
        {
            const DispatchPtr app = std::make_shared<Calculator>();
            const DispatchPtr child = app->GetObject(u"Child"_s);
            QCOMPARE(Dispatch::LiveObjects(), before + 2);
            // A chain's intermediate objects die when the chain ends.
            app->GetObject(u"Child"_s)->GetObject(u"Child"_s)->Put(u"Value"_s, Variant::I4(1));
            QCOMPARE(Dispatch::LiveObjects(), before + 2);
        }
        QCOMPARE(Dispatch::LiveObjects(), before);
    }

    void recordingServer_recordsFailsAndCounts()
    {
        Registry registry;
        RecordingServer server;
        server.Install(registry, u"Excel.Application"_s);
        {
            const DispatchPtr app = registry.Create(u"Excel.Application"_s);
            app->GetObject(u"Workbooks"_s)->Call(u"Add"_s, {Variant::I2(-4167)});
            app->GetObject(u"range"_s, {Variant::Str(u"A1"_s)})->Put(u"Value"_s, Variant::Bool(true));
            app->GetObject(u"Tables"_s)->Call(u"Add"_s, {Named(u"NumRows"_s, Variant::I4(28))});
            QCOMPARE(server.LiveObjects(), 1);
        }
        QCOMPARE(server.LiveObjects(), 0);
        QCOMPARE(server.ServersCreated(), 1);
        QCOMPARE(server.Lines(),
                 QStringList({u"App.Workbooks get()"_s, u"App.Workbooks.Add method(VT_I2 -4167)"_s,
                              u"App.range get(VT_BSTR \"A1\")"_s, u"App.range.Value put(VT_BOOL true)"_s,
                              u"App.Tables get()"_s, u"App.Tables.Add method(NumRows:=VT_I4 28)"_s}));

        server.Clear();
        server.FailAtCall(2);
        const DispatchPtr app = registry.Create(u"Excel.Application"_s);
        QCOMPARE(errorOf([&] { app->GetObject(u"A"_s)->GetObject(u"B"_s); }), RecordingServer::FailureText);
        QCOMPARE(server.Calls().size(), 2);

        server.FailCreation(true);
        QVERIFY_THROWS_EXCEPTION(ECreateServerError, registry.Create(u"Excel.Application"_s));
    }
};

QTEST_GUILESS_MAIN(TestAutomation)
#include "tst_automation.moc"
