// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "Variant.h"

#include <QList>
#include <QString>
#include <QStringView>

// The program drives the word processor and the spreadsheet application through late-bound automation:
// every call names its member as text, with its kind and its arguments as variants, and the server looks
// the name up when the call arrives. This layer is that interface and nothing else:
//  - Automation::Dispatch is an object of a server; Invoke is IDispatch::GetIDsOfNames plus
//    IDispatch::Invoke in one step, names matched without regard to case.
//  - Automation::Registry (AutomationRegistry.h) creates a server from its ProgID.
//  - Failures are EAutomationError, carrying the text a COM error's description would.
// Objects are shared and counted (DispatchPtr); an export holds its references in local variables, so all
// of them are released when it ends, whatever the outcome.
//
// On Windows, the real applications would be one more server class: a Dispatch holding an IDispatch*,
// whose Invoke calls GetIDsOfNames and Invoke with the VARIANTs the Variant types map to one for one
// (named arguments by their DISPIDs, a put with DISPID_PROPERTYPUT), whose destructor calls Release,
// and a Registry factory calling CLSIDFromProgID and CoCreateInstance that throws ECreateServerError on
// failure. The servers of this platform (SpreadsheetServer, DocumentServer) stand in for them here.
namespace Automation {

enum class InvokeKind { PropertyGet, PropertyPut, Method };

// "get", "put" or "method".
QString KindName(InvokeKind kind);

// One argument of a call: positional when name is empty, otherwise named (matched without regard to case).
struct Argument
{
    Argument(Variant v) // NOLINT: a variant is a positional argument
        : value(std::move(v))
    {}
    Argument(QString n, Variant v)
        : name(std::move(n))
        , value(std::move(v))
    {}

    QString name;
    Variant value;
};
using Arguments = QList<Argument>;

inline Argument Named(const QString& name, Variant value)
{
    return Argument(name, std::move(value));
}

// An object of an automation server.
class Dispatch
{
public:
    Dispatch();
    virtual ~Dispatch();
    Dispatch(const Dispatch&) = delete;
    Dispatch& operator=(const Dispatch&) = delete;

    // Invokes member. Positional arguments come before named ones, as IDispatch::Invoke receives them; a
    // put passes the new value as its last positional argument. Unknown members, members that do not
    // support kind, wrong arguments and failures of the work raise EAutomationError.
    virtual Variant Invoke(const QString& member, InvokeKind kind, const Arguments& arguments) = 0;
    // How the object reads in logs and test reports; empty when it has no name.
    virtual QString DebugName() const { return {}; }

    // The three kinds of call as a client writes them.
    Variant Get(const QString& member, const Arguments& arguments = {});
    void Put(const QString& member, const Variant& value);
    Variant Call(const QString& member, const Arguments& arguments = {});
    // A get or a method call whose result must be an object (EAutomationError otherwise).
    DispatchPtr GetObject(const QString& member, const Arguments& arguments = {});
    DispatchPtr CallObject(const QString& member, const Arguments& arguments = {});

    // Objects of every server alive in the process: 0 once every reference has been released.
    static int LiveObjects() noexcept;
};

} // namespace Automation
