#include "core/ErrorLog.h"

#include "core/LogEntry2.h"
#include "core/StringBuffer.h"

ErrorLog::ErrorLog() { ResetLog(); }

ErrorLog::~ErrorLog() { delete root_; }

void ErrorLog::ResetLog() {
    stack_.Clear();
    delete root_;
    root_ = LogEntry2::MakeContext("QuorvelLog");
    if (root_) {
        stack_.Append(root_);
    }
}

const LogEntry2* ErrorLog::Root() const { return root_; }

LogEntry2* ErrorLog::Top() const { return static_cast<LogEntry2*>(stack_.Last()); }

void ErrorLog::AddEntry(LogEntry2* entry) {
    LogEntry2* top = Top();
    if (!entry) {
        return;
    }
    if (!top || !top->Children() || !top->Children()->Append(entry)) {
        delete entry;  // memory exhausted: the entry is dropped
    }
}

void ErrorLog::OpenContext(const char* name) {
    LogEntry2* context = LogEntry2::MakeContext(name);
    LogEntry2* top = Top();
    if (!context || !top || !top->Children() || !top->Children()->Append(context)) {
        delete context;
        return;
    }
    if (!stack_.Append(context)) {
        // Could not push: take it back out so later entries do not go to a context that
        // looks closed.
        top->Children()->RemoveLast();
        delete context;
    }
}

void ErrorLog::CloseContext() {
    if (stack_.Count() > 1) {
        stack_.RemoveLast();
    }
    if (stack_.Count() < 2) {
        return;  // a method's own context directly under the root stays, even when empty
    }
    LogEntry2* top = Top();
    LogEntry2* last = top->ChildCount() ? top->Child(top->ChildCount() - 1) : nullptr;
    if (last && last->GetKind() == LogEntry2::Context && last->ChildCount() == 0) {
        delete top->Children()->RemoveLast();
    }
}

void ErrorLog::AddMessage(char kind, const char* text) {
    if (text) {
        AddEntry(LogEntry2::MakeMessage(static_cast<LogEntry2::Kind>(kind), text));
    }
}

bool ErrorLog::AddData(const char* tag, const char* value) {
    StringBuffer cleanTag(tag);
    cleanTag.Trim();
    if (cleanTag.IsEmpty()) {
        return false;
    }
    cleanTag.ReplaceChar(' ', '_');
    AddEntry(LogEntry2::MakeData(cleanTag.GetString(), value ? value : "(NULL)"));
    return true;
}

void ErrorLog::GetAsXml(StringBuffer& out) const {
    out.Clear();
    if (root_) {
        root_->RenderXml(out);
    }
}

void ErrorLog::GetAsText(StringBuffer& out) const {
    out.Clear();
    if (root_) {
        root_->RenderText(out);
    }
}

void ErrorLog::GetAsHtml(StringBuffer& out) const {
    out.Clear();
    if (root_) {
        root_->RenderHtml(out);
    }
}
