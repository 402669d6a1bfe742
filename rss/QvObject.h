#pragma once
// QvObject: base of the public classes (QvRss, QvString). They take and return NUL-terminated
// byte strings, in the ANSI code page or in UTF-8 as a per-object flag says, and forward every
// call to an inner Cls object.

class QvObject {
public:
    QvObject() = default;
    virtual ~QvObject();
    QvObject(const QvObject&) = delete;
    QvObject& operator=(const QvObject&) = delete;
};
