// SPDX-License-Identifier: GPL-3.0-or-later
#include "RecordingServer.h"

#include "automation/EAutomationError.h"

using namespace Qt::Literals::StringLiterals;
using namespace Automation;

const QString RecordingServer::FailureText = u"Errore di automazione simulato."_s;

struct RecordingServer::State
{
    QList<RecordedCall> calls;
    int failAt = 0;
    bool failCreation = false;
    int created = 0;
    int live = 0;
};

namespace {

class RecordingObject final : public Dispatch
{
public:
    RecordingObject(std::shared_ptr<RecordingServer::State> state, QString path)
        : m_state(std::move(state))
        , m_path(std::move(path))
    {
        ++m_state->live;
    }
    ~RecordingObject() override { --m_state->live; }

    Variant Invoke(const QString& member, InvokeKind kind, const Arguments& arguments) override
    {
        QList<RecordedArgument> recorded;
        for (const Argument& a : arguments) {
            const bool object = a.value.type() == Variant::Type::Dispatch;
            recorded.append({a.name, object ? Variant() : a.value, a.value.TypeName(), a.value.Describe()});
        }
        m_state->calls.append({m_path, member, kind, recorded});
        if (m_state->calls.size() == m_state->failAt)
            throw EAutomationError(RecordingServer::FailureText);
        if (kind == InvokeKind::PropertyPut)
            return Variant();
        return Variant::Object(std::make_shared<RecordingObject>(m_state, m_path + u'.' + member));
    }

    QString DebugName() const override { return m_path; }

private:
    std::shared_ptr<RecordingServer::State> m_state;
    QString m_path;
};

} // namespace

QString RecordedCall::Describe() const
{
    QStringList args;
    for (const RecordedArgument& a : arguments)
        args << (a.name.isEmpty() ? QString() : a.name + u":="_s) + a.description;
    return u"%1.%2 %3(%4)"_s.arg(object, member, KindName(kind), args.join(u", "_s));
}

RecordingServer::RecordingServer()
    : m_state(std::make_shared<State>())
{}

void RecordingServer::Install(Registry& registry, const QString& progId)
{
    registry.Register(progId, [state = m_state, progId]() -> DispatchPtr {
        if (state->failCreation)
            throw ECreateServerError(u"Impossibile creare il server \"%1\" (simulato)."_s.arg(progId));
        ++state->created;
        return std::make_shared<RecordingObject>(state, u"App"_s);
    });
}

void RecordingServer::FailAtCall(int k)
{
    m_state->failAt = k;
}

void RecordingServer::FailCreation(bool fail)
{
    m_state->failCreation = fail;
}

const QList<RecordedCall>& RecordingServer::Calls() const
{
    return m_state->calls;
}

QStringList RecordingServer::Lines() const
{
    QStringList lines;
    for (const RecordedCall& c : m_state->calls)
        lines << c.Describe();
    return lines;
}

int RecordingServer::ServersCreated() const
{
    return m_state->created;
}

int RecordingServer::LiveObjects() const
{
    return m_state->live;
}

void RecordingServer::Clear()
{
    m_state->calls.clear();
    m_state->failAt = 0;
    m_state->failCreation = false;
    m_state->created = 0;
}
