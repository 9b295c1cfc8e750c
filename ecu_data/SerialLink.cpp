#include "SerialLink.h"

TSerialLink* SerialLink = nullptr;
