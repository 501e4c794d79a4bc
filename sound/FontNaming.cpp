#include "sound/FontNaming.h"

#include <algorithm>
#include <map>

#include "sound/LSU_Configuration.h"

namespace sound {

namespace {

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

char Lower(char c) {
  return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
}

const FontNameRule* RuleForKey(const std::string& key) {
  for (const auto& rule : kFontNameRules)
    if (key == rule.word) return &rule;
  return nullptr;
}

int Limit(FileType category) {
  return FindCategory(category)->isList ? LSU_Configuration::kMaxListFiles : 1;
}

}  // namespace

std::string NameKey(std::string_view name) {
  static constexpr std::string_view kDropped = " \t_-.()[]{}";
  std::string key;
  for (char c : name)
    if (!IsDigit(c) && kDropped.find(c) == std::string_view::npos) key += Lower(c);
  return key;
}

const FontNameRule* RuleForPath(std::string_view relativePath) {
  size_t end = relativePath.size();
  size_t slash = relativePath.find_last_of('/');
  std::string_view name = relativePath.substr(slash == std::string_view::npos ? 0 : slash + 1);
  const size_t dot = name.find_last_of('.');
  if (dot != std::string_view::npos && dot > 0) name = name.substr(0, dot);
  if (const auto* rule = RuleForKey(NameKey(name))) return rule;
  // The folders, innermost first.
  while (slash != std::string_view::npos && slash > 0) {
    end = slash;
    slash = relativePath.find_last_of('/', end - 1);
    const size_t begin = slash == std::string_view::npos ? 0 : slash + 1;
    if (const auto* rule = RuleForKey(NameKey(relativePath.substr(begin, end - begin))))
      return rule;
  }
  return nullptr;
}

bool NaturalLess(std::string_view a, std::string_view b) {
  size_t i = 0, j = 0;
  while (i < a.size() && j < b.size()) {
    if (IsDigit(a[i]) && IsDigit(b[j])) {
      while (i < a.size() && a[i] == '0') ++i;
      while (j < b.size() && b[j] == '0') ++j;
      size_t ei = i, ej = j;
      while (ei < a.size() && IsDigit(a[ei])) ++ei;
      while (ej < b.size() && IsDigit(b[ej])) ++ej;
      if (ei - i != ej - j) return ei - i < ej - j;
      const int order = a.substr(i, ei - i).compare(b.substr(j, ej - j));
      if (order != 0) return order < 0;
      i = ei;
      j = ej;
      continue;
    }
    const char ca = Lower(a[i]), cb = Lower(b[j]);
    if (ca != cb) return ca < cb;
    ++i;
    ++j;
  }
  if (i < a.size() || j < b.size()) return j < b.size();
  return a < b;
}

std::vector<FontFile> PlanFontImport(std::vector<std::string> relativePaths) {
  std::sort(relativePaths.begin(), relativePaths.end(),
            [](const std::string& a, const std::string& b) { return NaturalLess(a, b); });
  std::vector<FontFile> plan;
  std::vector<const FontNameRule*> rules;
  std::map<FileType, std::string> firstNamed;  // the first file named by a primary word
  for (auto& path : relativePaths) {
    const FontNameRule* rule = RuleForPath(path);
    if (rule && !rule->fallback) firstNamed.emplace(rule->category, path);
    rules.push_back(rule);
    plan.push_back({std::move(path), FontFate::NotMapped, {}, "not mapped to a category"});
  }
  std::map<FileType, int> used;
  std::map<FileType, std::string> firstUsed;
  for (size_t i = 0; i < plan.size(); ++i) {
    if (!rules[i]) continue;
    FontFile& file = plan[i];
    const FileType category = rules[i]->category;
    const char* caption = FindCategory(category)->caption;
    file.category = category;
    file.fate = FontFate::LeftOut;
    if (rules[i]->fallback && firstNamed.count(category)) {
      file.why = std::string(caption) + " takes " + firstNamed[category];
    } else if (used[category] == Limit(category)) {
      file.why = Limit(category) == 1
                     ? std::string(caption) + " takes one file: " + firstUsed[category]
                     : std::string(caption) + " takes at most " + std::to_string(Limit(category)) +
                           " files";
    } else {
      file.fate = FontFate::Used;
      file.why.clear();
      if (used[category]++ == 0) firstUsed[category] = file.path;
    }
  }
  return plan;
}

}  // namespace sound
