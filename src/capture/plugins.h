// Capture plug-ins: the libraries found in the plug-in folder, and the
// device a plug-in serves (its calls are described in tessivo/pvx.h).
#pragma once

#include <QString>
#include <memory>
#include <vector>

#include "capture/capturesources.h"

// One library found by the scan.
struct TpluginData {
  QString DriverName;   // what its pi_drivername wrote; empty: it serves nothing
  QString LibraryPath;  // folder + file name
  bool Enabled = true;  // false once a device built from it came out invalid
};

class TpluginList {
 public:
  // Empties the list and loads, one after the other, every "*.pvx" of the
  // folder (in name order) to ask its driver name. A file that is not a
  // library, or exports nothing, is logged and the scan goes on; a library
  // built for another version of the interface is listed disabled.
  void PluginAddToList(const QString& folder);
  // The first entry with exactly that driver name, enabled or not; -1.
  int IndexOfDriver(const QString& name) const;
  TpluginData* Item(int index);
  const TpluginData* Item(int index) const;
  int Count() const { return static_cast<int>(items_.size()); }

 private:
  std::vector<TpluginData> items_;
};

// The device of a plug-in: Valid when the library loaded, claims the name,
// and made an instance. The library stays loaded for the process's life once
// an instance existed (the GObject types it registered cannot go).
std::unique_ptr<TCaptureDevice> MakePlugInDevice(const TDeviceMoniker& moniker, int instance,
                                                 const TpluginData& plugin);
