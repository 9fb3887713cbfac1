#include "engine/SampleStore.h"

// TODO(files): the real store.
namespace larkspur {
SampleStore::SampleStore(std::string path) : m_path(std::move(path)) {}
bool SampleStore::exists() const { return false; }
void SampleStore::create() {}
void SampleStore::remove() {}
} // namespace larkspur
