// A series of visits: each scan read once, every pair compared in a fresh
// form on Qt Concurrent, and the figures of visits and pairs.
#include "series/series.hpp"

#include <QThreadPool>
#include <QtConcurrent>
#include <algorithm>
#include <cmath>
#include <filesystem>
#include <map>

#include "app/messages.hpp"
#include "batch/pairs_list.hpp"
#include "batch/summary.hpp"
#include "model/number_text.hpp"

namespace varnel::series {
namespace {

std::string number(double v) { return model::formatNumber(v); }
std::string numberOr(const std::optional<double>& v) { return v ? number(*v) : model::kNoValue; }

}  // namespace

model::Table placed(const model::ScanRead& read) {
  model::Table t{};
  const int last = read.count - 1;
  for (int j = 0; j <= last; ++j) {
    const model::Reading& r = read.readings[static_cast<std::size_t>(last - j)];
    t[static_cast<std::size_t>(j)] = {r.left - r.right, r.left, r.right};
  }
  return t;
}

const Pair& Series::pair(int earlier, int later) const {
  const int n = static_cast<int>(visits.size());
  // Pairs before row `earlier`: (n-1) + (n-2) + ... + (n-earlier).
  const int before = earlier * (2 * n - earlier - 1) / 2;
  return pairs[static_cast<std::size_t>(before + later - earlier - 1)];
}

ChannelResults Pair::results(Channel c) const {
  const std::size_t col = output::reportColumnOf(static_cast<int>(c));
  const output::ResultGrid& r = outcome.results;
  return {r[0][col], r[1][col], r[2][col], r[3][col], r[4][col]};
}

int Series::loaded() const {
  return static_cast<int>(std::count_if(visits.begin(), visits.end(), [](const Visit& v) { return v.ok(); }));
}

Asymmetry asymmetry(const model::Table& scan, int lastPoint, int lo, int hi, const Thresholds& t) {
  Asymmetry a;
  lo = std::min(lo, lastPoint);
  hi = std::min(hi, lastPoint);
  double sum = 0.0;
  for (int j = std::max(lo, 0); j <= hi; ++j) {
    const double d = scan[static_cast<std::size_t>(j)][model::kDelta];
    const double size = std::fabs(d);
    sum += d;
    if (a.points == 0 || size > a.largestDelta) {
      a.largestDelta = size;
      a.largestAt = j;
    }
    // Readings carry a few decimals: 36.4 - 36.1 must reach 0.3.
    a.reachT1 += size >= t.t1 - 1e-9;
    a.reachT2 += size >= t.t2 - 1e-9;
    ++a.points;
  }
  if (a.points > 0) a.meanDelta = sum / a.points;
  return a;
}

std::optional<Agreement> agreement(const model::Table& earlier, const model::Table& later, int channel, int lo,
                                   int hi) {
  const auto ch = static_cast<std::size_t>(channel);
  const auto diff = [&](int j) {
    return later[static_cast<std::size_t>(j)][ch] - earlier[static_cast<std::size_t>(j)][ch];
  };
  Agreement a;
  double sum = 0.0;
  for (int j = std::max(lo, 0); j <= hi; ++j, ++a.points) sum += diff(j);
  if (a.points == 0) return std::nullopt;
  a.meanDifference = sum / a.points;
  if (a.points < 2) return a;
  double squares = 0.0;
  for (int j = std::max(lo, 0); j <= hi; ++j) squares += (diff(j) - a.meanDifference) * (diff(j) - a.meanDifference);
  const double spread = 1.96 * std::sqrt(squares / (a.points - 1));
  a.lower = a.meanDifference - spread;
  a.upper = a.meanDifference + spread;
  return a;
}

Series compute(const std::vector<std::string>& paths, const batch::Steps& steps, const Thresholds& thresholds,
               const Run& run) {
  // Read once each, by the full path that the form asks for.
  std::map<std::string, model::ScanRead> reads;
  std::vector<ReadVisit> visits;
  for (const std::string& path : paths) {
    auto [at, fresh] = reads.try_emplace(batch::fullPath(path));
    if (fresh) at->second = model::readScanFile(at->first);
    visits.push_back({path, at->second});
  }
  return compute(visits, steps, thresholds, run);
}

Series compute(const std::vector<ReadVisit>& visits, const batch::Steps& steps, const Thresholds& thresholds,
               const Run& run) {
  Series s;
  // The form asks for each scan by the full path its dialog hands back.
  std::map<std::string, const model::ScanRead*> reads;
  std::vector<std::string> full;
  for (const ReadVisit& rv : visits) {
    Visit& v = s.visits.emplace_back();
    v.path = rv.name;
    full.push_back(batch::fullPath(rv.name));
    reads.try_emplace(full.back(), &rv.read);
    const model::ScanRead& r = rv.read;
    if (!r.ok()) {
      v.message = app::messages::cannotLoad(full.back(), r.errorLine, r.error);
    } else if (r.count == 0) {
      v.message = app::messages::noReadings(full.back());
    } else {
      v.lastPoint = r.count - 1;
      v.asymmetry = asymmetry(placed(r), v.lastPoint, steps.lower.value_or(app::kLowerCutoffBar.start),
                              steps.upper.value_or(app::kUpperCutoffBar.start), thresholds);
    }
  }

  const int n = static_cast<int>(visits.size());
  for (int i = 0; i < n; ++i)
    for (int j = i + 1; j < n; ++j) s.pairs.push_back({i, j, {}, Channel::Left, {}});

  const auto readScan = [&reads](const std::string& path) {
    const auto at = reads.find(path);
    return at != reads.end() ? *at->second : model::readScanFile(path);
  };
  std::atomic<std::size_t> done{0};
  const auto compare = [&](Pair& p) {
    if (run.cancelled && run.cancelled()) return;
    const Visit& a = s.visits[static_cast<std::size_t>(p.earlier)];
    const Visit& b = s.visits[static_cast<std::size_t>(p.later)];
    if (!a.ok() || !b.ok()) {
      p.outcome.messages = {a.ok() ? b.message : a.message};
    } else {
      batch::Comparison c;
      c.scan1 = full[static_cast<std::size_t>(p.earlier)];
      c.scan2 = full[static_cast<std::size_t>(p.later)];
      // Each scan read once; the results need no pixels.
      const auto prepare = [&readScan](app::Form& f) {
        f.readScan = readScan;
        f.Picture1.dropPixels();
      };
      p.outcome = batch::runComparison(c, steps, prepare, [&p](const app::Form& f) {
        p.channel = static_cast<Channel>(f.channelOnShow());
        const int hi = std::min({f.upperCutoff(), f.pointCount(1), f.pointCount(2)});
        for (int ch = 0; ch < model::kChannels; ++ch)
          p.agreement[static_cast<std::size_t>(ch)] = agreement(f.Scan1, f.Scan2, ch, f.lowerCutoff(), hi);
      });
      if (!p.outcome.ok) p.agreement = {};
    }
    if (run.progress) run.progress(++done, s.pairs.size());
  };
  QThreadPool pool;
  if (run.jobs > 0) pool.setMaxThreadCount(run.jobs);
  QtConcurrent::blockingMap(&pool, s.pairs, compare);
  return s;
}

std::vector<std::string> readVisitList(const std::string& text, const std::string& folder) {
  std::vector<std::string> paths;
  for (const auto& [number, line] : batch::listLines(text)) {
    const std::filesystem::path p(line);
    paths.push_back(p.is_absolute() ? line : (std::filesystem::path(folder) / p).lexically_normal().string());
  }
  return paths;
}

std::string visitListText(const std::vector<std::string>& paths, const std::string& folder) {
  std::string text;
  const std::filesystem::path base = std::filesystem::path(batch::fullPath(folder)).lexically_normal();
  for (const std::string& path : paths) {
    const std::filesystem::path p = std::filesystem::path(batch::fullPath(path)).lexically_normal();
    const std::filesystem::path inside = p.lexically_relative(base);
    const bool below = !inside.empty() && *inside.begin() != "..";
    text += (below ? inside.string() : p.string()) + "\n";
  }
  return text;
}

std::string visitTable(const Series& s) {
  std::string t = "visit,scan,points,status,message,mean delta,largest delta,at,reach t1,reach t2\n";
  for (std::size_t i = 0; i < s.visits.size(); ++i) {
    const Visit& v = s.visits[i];
    const Asymmetry& a = v.asymmetry;
    t += std::to_string(i + 1) + "," + batch::csvField(v.path) + ",";
    if (!v.ok()) {
      t += ",failed," + batch::csvField(v.message) + ",,,,,\n";
      continue;
    }
    t += model::formatInt(v.lastPoint) + ",ok,,";
    t += a.points ? number(a.meanDelta) + "," + number(a.largestDelta) + "," + model::formatInt(a.largestAt)
                  : std::string(model::kNoValue) + "," + model::kNoValue + "," + model::kNoValue;
    t += "," + std::to_string(a.reachT1) + "," + std::to_string(a.reachT2) + "\n";
  }
  return t;
}

std::string pairTable(const Series& s) {
  std::string t = "visit1,visit2,scan1,scan2,status,message" + batch::resultColumns() +
                  ",mean difference,lower limit,upper limit\n";
  for (const Pair& p : s.pairs) {
    t += std::to_string(p.earlier + 1) + "," + std::to_string(p.later + 1) + "," +
         batch::csvField(s.visits[static_cast<std::size_t>(p.earlier)].path) + "," +
         batch::csvField(s.visits[static_cast<std::size_t>(p.later)].path) + "," + batch::outcomeFields(p.outcome);
    const auto& a = p.agreementOf(p.channel);
    t += a ? "," + number(a->meanDifference) + "," + numberOr(a->lower) + "," + numberOr(a->upper) : ",,,";
    t += "\n";
  }
  return t;
}

std::string printedTable(const Series& s, Channel channel) {
  const auto results = [&](int earlier, int later) -> std::vector<std::string> {
    if (earlier < 0) return {"", ""};
    const Pair& p = s.pair(earlier, later);
    if (!p.outcome.ok) return {"failed", "failed"};
    const ChannelResults r = p.results(channel);
    return {r.correlation, r.tRatio};
  };
  std::vector<std::vector<std::string>> rows{{"visit", "points", "mean delta", "largest delta", "at", "reach t1",
                                              "reach t2", "r previous", "t % previous", "r visit 1", "t % visit 1"}};
  for (int i = 0; i < static_cast<int>(s.visits.size()); ++i) {
    const Visit& v = s.visits[static_cast<std::size_t>(i)];
    const Asymmetry& a = v.asymmetry;
    std::vector<std::string> row{std::to_string(i + 1)};
    if (!v.ok()) {
      row.insert(row.end(), {"failed", "", "", "", "", ""});
    } else if (a.points == 0) {
      row.insert(row.end(),
                 {model::formatInt(v.lastPoint), model::kNoValue, model::kNoValue, model::kNoValue, "0", "0"});
    } else {
      row.insert(row.end(), {model::formatInt(v.lastPoint), number(a.meanDelta), number(a.largestDelta),
                             model::formatInt(a.largestAt), std::to_string(a.reachT1), std::to_string(a.reachT2)});
    }
    for (const auto& r : {results(i - 1, i), results(i > 0 ? 0 : -1, i)}) row.insert(row.end(), r.begin(), r.end());
    rows.push_back(row);
  }
  return batch::alignedTable(rows);
}

}  // namespace varnel::series
