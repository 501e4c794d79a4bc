#include "sound/ConfigurationEdit.h"

#include <algorithm>

namespace sound {

ConfigurationContents TakeContents(const LSU_Configuration& config,
                                   const std::vector<FileType>& categories) {
  ConfigurationContents contents;
  for (FileType category : categories) contents.push_back({category, config.Contents(category)});
  return contents;
}

ConfigurationContents TakeAllContents(const LSU_Configuration& config) {
  std::vector<FileType> all;
  for (const SoundCategory& c : kCategoriesInFlashOrder) all.push_back(c.code);
  return TakeContents(config, all);
}

void PutContents(LSU_Configuration& config, const ConfigurationContents& contents) {
  for (const CategoryContents& c : contents) config.SetContents(c.category, c.files);
}

bool SameContents(const ConfigurationContents& a, const ConfigurationContents& b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                    [](const CategoryContents& x, const CategoryContents& y) {
                      return x.category == y.category &&
                             std::equal(x.files.begin(), x.files.end(), y.files.begin(),
                                        y.files.end(),
                                        [](const auto& f, const auto& g) { return f.SameAs(g); });
                    });
}

std::string ConfigurationEdit::Name() const {
  switch (kind) {
    case Kind::Add:
      return "Add";
    case Kind::Remove:
      return "Remove";
    case Kind::Volume:
      return "Volume";
    case Kind::Load:
      return "Load";
  }
  return "";
}

}  // namespace sound
