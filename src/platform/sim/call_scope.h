// One DeviceApi call on its way through the simulated machine: asks the fault
// plan whether it is to fail, and on return writes its journal entry and the
// error it leaves behind.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/sim/call_journal.h"
#include "platform/sim/fault_plan.h"
#include "platform/sim/journal_text.h"

class CallScope {
public:
    CallScope(CallJournal& journal, FaultPlan& faults, DWORD& lastError, std::string_view function,
              CallArguments arguments);
    CallScope(const CallScope&) = delete;
    CallScope& operator=(const CallScope&) = delete;
    // A call that forgot to say how it ended still leaves its trace.
    ~CallScope();

    // Set when the fault plan fails this call: the error to fail with.
    std::optional<DWORD> InjectedError() const { return m_injected; }

    BOOL Succeed();
    BOOL Fail(DWORD error);
    // HANDLE, HDEVINFO, HLOCAL and heap pointers alike.
    void* Returns(void* value);
    void* Fails(void* value, DWORD error);
    CONFIGRET Answers(CONFIGRET result);
    void Record(std::string result);

private:
    CallJournal& m_journal;
    DWORD& m_lastError;
    JournalEntry m_entry;
    std::optional<DWORD> m_injected;
    bool m_recorded = false;
};
