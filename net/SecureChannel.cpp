#include "net/SecureChannel.h"

SecureChannel::~SecureChannel() = default;
