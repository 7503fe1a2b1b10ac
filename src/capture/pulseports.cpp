// The ports of a sound server's source ("Line In", "Mic"), read and chosen
// through the server's own interface, each time on a connection of its own.
#include "capture/devicesettings.h"

#ifdef TESSIVO_HAVE_PULSE
#include <pulse/pulseaudio.h>

#include <algorithm>
#include <chrono>
#include <functional>

namespace {

// One connection to the sound server, driven until each answer is in.
class TPulseConnection {
 public:
  TPulseConnection() : loop_(pa_mainloop_new()) {
    if (!loop_) return;
    context_ = pa_context_new(pa_mainloop_get_api(loop_), "tessivo");
    if (!context_ || pa_context_connect(context_, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0) return;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    for (;;) {
      const pa_context_state_t state = pa_context_get_state(context_);
      if (state == PA_CONTEXT_READY) {
        ready_ = true;
        return;
      }
      if (!PA_CONTEXT_IS_GOOD(state) || std::chrono::steady_clock::now() > deadline) return;
      pa_mainloop_iterate(loop_, 0, nullptr);
    }
  }
  ~TPulseConnection() {
    if (context_) {
      pa_context_disconnect(context_);
      pa_context_unref(context_);
    }
    if (loop_) pa_mainloop_free(loop_);
  }
  TPulseConnection(const TPulseConnection&) = delete;
  TPulseConnection& operator=(const TPulseConnection&) = delete;

  bool ready() const { return ready_; }
  pa_context* context() const { return context_; }
  // Drives the loop until the operation is done (or two seconds passed).
  bool Wait(pa_operation* operation) {
    if (!operation) return false;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    while (pa_operation_get_state(operation) == PA_OPERATION_RUNNING && std::chrono::steady_clock::now() < deadline)
      pa_mainloop_iterate(loop_, 0, nullptr);
    const bool done = pa_operation_get_state(operation) == PA_OPERATION_DONE;
    pa_operation_unref(operation);
    return done;
  }

 private:
  pa_mainloop* loop_ = nullptr;
  pa_context* context_ = nullptr;
  bool ready_ = false;
};

// Ports are shown by their description and chosen by their name.
struct SourcePorts {
  std::vector<std::string> ports, names;
  std::string active;
};

class TPulseSourceSettings : public IDeviceSettings, ISoundPorts {
 public:
  explicit TPulseSourceSettings(std::string source) : source_(std::move(source)) {}

  ISoundPorts* SoundPorts() override { return Read().ports.empty() ? nullptr : this; }
  std::vector<std::string> Ports() const override { return Read().ports; }
  std::string ActivePort() const override { return Read().active; }
  bool SetActivePort(const std::string& port) override {
    const SourcePorts known = Read();
    const auto found = std::find(known.ports.begin(), known.ports.end(), port);
    if (found == known.ports.end()) return false;
    const std::string& name = known.names[found - known.ports.begin()];
    TPulseConnection connection;
    if (!connection.ready()) return false;
    bool success = false;
    const bool done = connection.Wait(pa_context_set_source_port_by_name(
        connection.context(), source_.c_str(), name.c_str(),
        [](pa_context*, int ok, void* result) { *static_cast<bool*>(result) = ok != 0; }, &success));
    return done && success;
  }

 private:
  SourcePorts Read() const {
    SourcePorts found;
    TPulseConnection connection;
    if (!connection.ready()) return found;
    connection.Wait(pa_context_get_source_info_by_name(
        connection.context(), source_.c_str(),
        [](pa_context*, const pa_source_info* info, int last, void* data) {
          if (last || !info) return;
          auto* result = static_cast<SourcePorts*>(data);
          for (std::uint32_t i = 0; i < info->n_ports; ++i)
            if (info->ports[i]->available != PA_PORT_AVAILABLE_NO) {
              result->ports.emplace_back(info->ports[i]->description);
              result->names.emplace_back(info->ports[i]->name);
            }
          if (info->active_port) result->active = info->active_port->description;
        },
        &found));
    return found;
  }
  std::string source_;
};

}  // namespace

std::shared_ptr<IDeviceSettings> PulseSourceSettings(const std::string& sourceName) {
  return std::make_shared<TPulseSourceSettings>(sourceName);
}

#else

std::shared_ptr<IDeviceSettings> PulseSourceSettings(const std::string&) { return {}; }

#endif
