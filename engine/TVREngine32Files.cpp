#include "engine/TVREngine32.h"

// TODO(files): table files and sample store operations of the engine.
namespace larkspur {
void TVREngine32::CreateSampleStore() { m_sampleStore.create(); }
} // namespace larkspur
