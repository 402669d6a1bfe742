#pragma once
// A progress sink for the HTTP tests: it keeps every named event as "name=value", in order, and
// counts the chunked-body notifications.

#include <string>
#include <vector>

#include "core/ProgressEvent.h"

class RecordedEvents : public ProgressEvent {
public:
    std::vector<std::string> events;
    int chunkedNotifications = 0;

    void InfoEvent(const char* name, const char* value) override {
        events.push_back(std::string(name) + "=" + value);
    }
    void Notify0a() override { ++chunkedNotifications; }
};
