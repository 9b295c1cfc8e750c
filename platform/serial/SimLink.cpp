#include "SimLink.h"

SimLink::SimLink() : owned_(std::make_unique<SimulatedEcu>()), ecu_(owned_.get()) {}

SimLink::SimLink(SimulatedEcu& ecu) : ecu_(&ecu) {}
