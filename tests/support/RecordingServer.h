// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "automation/AutomationRegistry.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <memory>

// One argument of a recorded call. An object passed as argument is kept as its description only: the
// record must not keep the client's objects alive.
struct RecordedArgument
{
    QString name;              // empty for a positional argument
    Automation::Variant value; // empty for an object
    QString typeName;          // "VT_DISPATCH", "VT_I2"...
    QString description;       // Variant::Describe()
};

// One call an automation client made.
struct RecordedCall
{
    QString object; // path of the object called: "App", "App.Workbooks", "App.Selection.range"
    QString member; // as the client spelt it
    Automation::InvokeKind kind;
    QList<RecordedArgument> arguments;

    // "App.Workbooks.Add method(VT_I2 -4167)", named arguments as "NumRows:=VT_I4 28".
    QString Describe() const;
};

// An automation server for tests: it answers every get and method call with a new child object (put
// answers nothing), records every call in order, counts its live objects, and fails on request.
class RecordingServer
{
public:
    // The text of the error a failing call raises.
    static const QString FailureText;

    RecordingServer();

    // Registers the server under progId; the registry may outlive this object.
    void Install(Automation::Registry& registry, const QString& progId);

    // The k-th call (from 1) raises EAutomationError(FailureText); 0 for none.
    void FailAtCall(int k);
    // Creating the server raises ECreateServerError.
    void FailCreation(bool fail);

    const QList<RecordedCall>& Calls() const;
    QStringList Lines() const; // Describe() of every call
    int ServersCreated() const;
    // Objects of this server still referenced by someone.
    int LiveObjects() const;
    void Clear();

    struct State;

private:
    std::shared_ptr<State> m_state;
};
