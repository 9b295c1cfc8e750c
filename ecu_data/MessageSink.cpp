#include "MessageSink.h"

namespace {

class DroppingSink final : public IMessageSink {
 public:
  void PostToForms(unsigned, intptr_t, intptr_t) override {}
  void SendToForms(unsigned, intptr_t, intptr_t) override {}
  void SendToActive(unsigned, intptr_t, intptr_t) override {}
};

DroppingSink g_dropping;
IMessageSink* g_sink = &g_dropping;

}  // namespace

IMessageSink& MessageSink() { return *g_sink; }

void SetMessageSink(IMessageSink* sink) { g_sink = sink ? sink : &g_dropping; }
