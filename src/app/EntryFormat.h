#pragma once

#include <cstdint>

#include "app/RecordingEntry.h"
#include "stream/CNxSSManager.h"
#include "stream/CNxSSWriterSettings.h"
#include "stream/NxRef.h"

namespace app {

class ConversionJob;
class Engine;

// The saved settings of one writer kind, as a chain of that writer alone
// loads them; null when the engine has no such writer.
NxRef<CNxSSWriterSettings> savedWriterSettings(const Engine& engine, int32_t sinkKind);

// The sink kind an entry is written with: its own format's, else `fallback`.
int32_t entrySinkKind(const RecordingEntry& entry, int32_t fallback);

// Offers `own` (a copy; null: the writer's saved settings) to the writer of
// a built chain: 0, or the writer's refusal for the chain's source.
uint32_t offerSettings(CNxSSManager& chain, const NxRef<CNxSSWriterSettings>& own);

// A run's hook: gives an opened job the entry's own format before it starts.
// 0, or the writer's refusal.
uint32_t applyEntryFormat(ConversionJob& job, const RecordingEntry& entry);

}  // namespace app
