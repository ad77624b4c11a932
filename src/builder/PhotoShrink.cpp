#include "builder/PhotoShrink.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <exception>
#include <map>
#include <mutex>
#include <thread>
#include <unordered_set>

#include "base/Text.h"
#include "builder/BuildPipeline.h"
#include "engine/codecs/Exif.h"
#include "engine/codecs/Jpeg.h"
#include "platform/Files.h"

namespace vanta {
namespace {

// Enough of a file for its header, Exif block and all.
constexpr size_t kHeaderBytes = 256 * 1024;

bool IsJpeg(std::string_view file) { return PictureKindOf(file) == TPictureKind::Jpeg; }

bool Fits(TPictureSize p, TPictureSize box) { return p.Width <= box.Width && p.Height <= box.Height; }

// One line of the manifest: a photo as an earlier build shipped it.
struct TManifestEntry {
  platform::TFileStamp Stamp;
  TPictureSize Box;
  int Quality = 0;
  std::string ShippedName;  // in the folder; empty: the photo itself shipped
  uint64_t ShippedBytes = 0;
  bool Shrunk = false;
};
using TManifest = std::map<std::string, TManifestEntry>;  // by source path

TManifest ReadManifest(const std::string& file) {
  TManifest m;
  std::string text;
  if (platform::ReadWholeFile(file, text, 64u << 20) != platform::TReadResult::Ok) return m;
  size_t at = 0;
  while (at < text.size()) {
    size_t end = text.find('\n', at);
    if (end == std::string::npos) end = text.size();
    const std::string line = text.substr(at, end - at);
    at = end + 1;
    std::vector<std::string> f;
    for (size_t from = 0;;) {
      const size_t tab = line.find('\t', from);
      f.push_back(line.substr(from, tab == std::string::npos ? std::string::npos : tab - from));
      if (tab == std::string::npos) break;
      from = tab + 1;
    }
    if (f.size() != 9) continue;  // a damaged line: that photo is made again
    TManifestEntry e;
    unsigned long long size = 0, bytes = 0;
    long long modified = 0;
    int shrunk = 0;
    if (std::sscanf((f[1] + " " + f[2] + " " + f[3] + " " + f[4] + " " + f[5] + " " + f[7] + " " + f[8]).c_str(),
                    "%llu %lld %d %d %d %llu %d", &size, &modified, &e.Box.Width, &e.Box.Height, &e.Quality, &bytes,
                    &shrunk) != 7)
      continue;
    e.Stamp = {size, modified};
    e.ShippedName = f[6];
    e.ShippedBytes = bytes;
    e.Shrunk = shrunk != 0;
    m[f[0]] = e;
  }
  return m;
}

std::string ManifestLine(const std::string& source, const TManifestEntry& e) {
  return source + "\t" + std::to_string(e.Stamp.Size) + "\t" + std::to_string(e.Stamp.Modified) + "\t" +
         std::to_string(e.Box.Width) + "\t" + std::to_string(e.Box.Height) + "\t" + std::to_string(e.Quality) + "\t" +
         e.ShippedName + "\t" + std::to_string(e.ShippedBytes) + "\t" + (e.Shrunk ? "1" : "0") + "\n";
}

void WriteCopy(const std::string& path, std::string_view bytes) {
  if (!platform::WriteFileAtomically(path, bytes)) throw TBuildError("Unable to write " + path);
}

// One photo: reused, made smaller, or shipped as it is (under its own name,
// or as a byte copy when another photo took that name).
struct TPhotoJob {
  std::string Source, Stem, Folder;
  const TShrinkOptions* Options = nullptr;
  const TManifestEntry* Earlier = nullptr;
};

// The largest of the JPEG decoder's own scales n/8 whose picture fits the
// box; 0 when even 1/8 is too large. Its output side is ceil(side * n / 8).
int DctScaleThatFits(TPictureSize p, TPictureSize box) {
  for (int n = 8; n >= 1; --n)
    if ((int64_t{p.Width} * n + 7) / 8 <= box.Width && (int64_t{p.Height} * n + 7) / 8 <= box.Height) return n;
  return 0;
}

// The photo upright and small enough for the box; nullopt when it fits as
// it is. A JPEG whose decoder scale that fits comes within a fifth of the
// largest size the box allows is decoded straight at that scale (the
// decoder's scaling filters as well as averaging does, at a fraction of
// the time); anything else is decoded larger and averaged down.
std::optional<TBitmap24> SmallerPicture(const std::string& file, const TShrinkOptions& o) {
  std::string bytes;
  if (platform::ReadWholeFile(file, bytes, kMaxPictureFileBytes) != platform::TReadResult::Ok)
    throw TPictureError("cannot read " + file);
  const TBytes data(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
  const TPictureKind kind = PictureKindOf(file);
  TPictureSize decodeBox = o.Box;
  if (kind == TPictureKind::Jpeg) {
    const TJpegPicture header = ReadJpegSize(data);
    TPictureSize natural{header.NaturalWidth, header.NaturalHeight};
    if (OrientationSwapsSides(header.Orientation)) natural = {natural.Height, natural.Width};
    if (Fits(natural, o.Box)) return std::nullopt;
    const TPictureSize target = ShrinkToFitSize(natural, o.Box);
    if (const int n = DctScaleThatFits(natural, o.Box)) {
      const TPictureSize scaled{static_cast<int>((int64_t{natural.Width} * n + 7) / 8),
                                static_cast<int>((int64_t{natural.Height} * n + 7) / 8)};
      if (int64_t{scaled.Width} * 5 >= int64_t{target.Width} * 4) decodeBox = scaled;
    }
  }
  TDecodedPicture d = DecodePicture(kind, data, o.Background, decodeBox);
  if (Fits(d.Natural, o.Box)) return std::nullopt;
  const TPictureSize have{d.Bitmap.Width(), d.Bitmap.Height()};
  if (Fits(have, o.Box)) return std::move(d.Bitmap);
  return ScaleBitmap(d.Bitmap, ShrinkToFitSize(d.Natural, o.Box));
}

TShippedPhoto AsItIs(const TPhotoJob& job, TShippedPhoto r) {
  const std::string name = job.Stem + ExtractFileExt(job.Source);
  r.Shipped = job.Source;
  r.ShippedBytes = r.SourceBytes;
  if (name == ExtractFileName(job.Source)) return r;
  std::string bytes;
  if (platform::ReadWholeFile(job.Source, bytes, kMaxPictureFileBytes) != platform::TReadResult::Ok) return r;
  r.Shipped = job.Folder + name;
  WriteCopy(r.Shipped, bytes);
  return r;
}

TShippedPhoto MakeOne(const TPhotoJob& job, TManifestEntry& record) {
  const TShrinkOptions& o = *job.Options;
  TShippedPhoto r;
  r.Source = job.Source;
  const std::optional<platform::TFileStamp> stamp = platform::FileStampOf(job.Source);
  if (!stamp) return AsItIs(job, r);
  r.SourceBytes = stamp->Size;
  record = {*stamp, o.Box, o.Quality, "", 0, false};
  // An unchanged photo made with the same options: its copy (or its
  // verdict, as it is) again, when the copy is still there as it was made.
  if (const TManifestEntry* e = job.Earlier; e && e->Stamp == *stamp && e->Box == o.Box && e->Quality == o.Quality) {
    const std::string copy = job.Folder + e->ShippedName;
    const std::optional<platform::TFileStamp> made = platform::FileStampOf(copy);
    if (e->Shrunk && made && made->Size == e->ShippedBytes) {
      record = *e;
      r.Shipped = copy;
      r.ShippedBytes = e->ShippedBytes;
      r.Shrunk = r.Reused = true;
      return r;
    }
    if (!e->Shrunk) return AsItIs(job, r);
  }
  if (!ShrinkableKind(job.Source)) return AsItIs(job, r);
  std::string bytes;
  try {
    const std::optional<TBitmap24> smaller = SmallerPicture(job.Source, o);
    if (!smaller) return AsItIs(job, r);
    bytes = EncodeJpeg(*smaller, o.Quality);
  } catch (const TPictureError&) {
    return AsItIs(job, r);  // the show will say what it can of it
  }
  if (bytes.size() >= r.SourceBytes) return AsItIs(job, r);
  const std::string name = job.Stem + (IsJpeg(job.Source) ? ExtractFileExt(job.Source) : std::string(".jpg"));
  WriteCopy(job.Folder + name, bytes);
  record.ShippedName = name;
  record.ShippedBytes = bytes.size();
  record.Shrunk = true;
  r.Shipped = job.Folder + name;
  r.ShippedBytes = bytes.size();
  r.Shrunk = true;
  return r;
}

}  // namespace

bool ShrinkableKind(std::string_view file) {
  const TPictureKind k = PictureKindOf(file);
  return k == TPictureKind::Jpeg || k == TPictureKind::Png || k == TPictureKind::Webp;
}

std::vector<std::string> ShippedStems(const std::vector<std::string>& sources) {
  std::vector<std::string> stems;
  std::unordered_set<std::string> taken;
  for (const std::string& s : sources) {
    const std::string own = FileBaseName(s);
    std::string stem = own;
    for (int n = 2; !taken.insert(LowerCase(stem)).second; ++n) stem = own + " (" + std::to_string(n) + ")";
    stems.push_back(stem);
  }
  return stems;
}

TShrinkReport ShrinkPhotos(const std::vector<std::string>& sources, const std::string& folder,
                           const TShrinkOptions& options, unsigned threads,
                           const std::function<void(size_t done, size_t total)>& progress) {
  TShrinkReport report;
  if (sources.empty()) return report;
  if (!platform::CreateFolders(folder)) throw TBuildError("Unable to make the folder " + folder);
  const std::string manifestFile = folder + kShrinkManifestName;
  const TManifest earlier = ReadManifest(manifestFile);
  const std::vector<std::string> stems = ShippedStems(sources);
  std::vector<TPhotoJob> jobs(sources.size());
  for (size_t i = 0; i < sources.size(); ++i) {
    const auto e = earlier.find(sources[i]);
    jobs[i] = {sources[i], stems[i], folder, &options, e == earlier.end() ? nullptr : &e->second};
  }
  report.Photos.resize(sources.size());
  std::vector<TManifestEntry> records(sources.size());
  std::atomic<size_t> next{0};
  size_t done = 0;
  unsigned finished = 0;
  std::exception_ptr failure;
  std::mutex lock;
  std::condition_variable changed;
  const auto work = [&] {
    for (size_t i; (i = next++) < jobs.size();) {
      std::exception_ptr failed;
      try {
        report.Photos[i] = MakeOne(jobs[i], records[i]);
      } catch (...) {
        failed = std::current_exception();
        next = jobs.size();  // the others stop after their photo
      }
      const std::lock_guard<std::mutex> g(lock);
      if (failed && !failure) failure = failed;
      ++done;
      changed.notify_one();
    }
    const std::lock_guard<std::mutex> g(lock);
    ++finished;
    changed.notify_one();
  };
  const unsigned n = std::clamp<unsigned>(threads ? threads : std::thread::hardware_concurrency(), 1,
                                          static_cast<unsigned>(jobs.size()));
  std::vector<std::thread> workers;
  for (unsigned t = 0; t < n; ++t) workers.emplace_back(work);
  {
    // The count is shown from here, the thread that asked.
    std::unique_lock<std::mutex> g(lock);
    for (size_t shown = 0; finished < n;) {
      changed.wait(g, [&] { return done != shown || finished == n; });
      if (done == shown) continue;
      shown = done;
      g.unlock();
      if (progress) progress(shown, jobs.size());
      g.lock();
    }
  }
  for (std::thread& w : workers) w.join();
  if (failure) std::rethrow_exception(failure);

  std::string manifest;
  for (size_t i = 0; i < jobs.size(); ++i) {
    const TShippedPhoto& p = report.Photos[i];
    report.Before += p.SourceBytes;
    report.After += p.ShippedBytes;
    report.Shrunk += p.Shrunk;
    report.Reused += p.Reused;
    if (records[i].Stamp.Size || records[i].Stamp.Modified) manifest += ManifestLine(sources[i], records[i]);
  }
  platform::WriteFileAtomically(manifestFile, manifest);  // without it the next build only takes longer
  return report;
}

std::string ByteSize(uint64_t bytes) {
  char buf[32];
  if (bytes < 1024 * 1024) {
    std::snprintf(buf, sizeof buf, "%llu KB", static_cast<unsigned long long>((bytes + 1023) / 1024));
  } else if (bytes < uint64_t{1024} * 1024 * 1024) {
    std::snprintf(buf, sizeof buf, "%.1f MB", static_cast<double>(bytes) / (1024.0 * 1024.0));
  } else {
    std::snprintf(buf, sizeof buf, "%.2f GB", static_cast<double>(bytes) / (1024.0 * 1024.0 * 1024.0));
  }
  return buf;
}

std::vector<std::string> ShrinkSummary(const TShrinkReport& r) {
  if (r.Shrunk == 0) return {};  // nothing saved, nothing to say
  std::vector<std::string> lines;
  lines.push_back("Photos made smaller for sharing: " + std::to_string(r.Shrunk) + " of " +
                  std::to_string(r.Photos.size()) +
                  (r.Reused ? " (" + std::to_string(r.Reused) + " from the last build)" : std::string()));
  const uint64_t saved = r.Before > r.After ? r.Before - r.After : 0;
  lines.push_back("Photos: " + ByteSize(r.Before) + " -> " + ByteSize(r.After) + ", " + ByteSize(saved) + " saved");
  return lines;
}

std::optional<TPictureSize> PhotoHeaderSize(const std::string& file) {
  std::string head;
  if (platform::ReadFileHead(file, head, kHeaderBytes) != platform::TReadResult::Ok) return std::nullopt;
  const auto* b = reinterpret_cast<const uint8_t*>(head.data());
  switch (PictureKindOf(file)) {
    case TPictureKind::Jpeg:
      try {
        const TJpegPicture j = ReadJpegSize(TBytes(b, head.size()));
        if (OrientationSwapsSides(j.Orientation)) return TPictureSize{j.NaturalHeight, j.NaturalWidth};
        return TPictureSize{j.NaturalWidth, j.NaturalHeight};
      } catch (const TPictureError&) {
        return std::nullopt;
      }
    case TPictureKind::Png: {
      // The signature, then IHDR: its width and height, big-endian.
      if (head.size() < 24 || head.compare(12, 4, "IHDR") != 0) return std::nullopt;
      const auto be = [&](size_t at) { return int64_t{b[at]} << 24 | b[at + 1] << 16 | b[at + 2] << 8 | b[at + 3]; };
      const int64_t w = be(16), h = be(20);
      if (w <= 0 || h <= 0 || w > kMaxPictureSide || h > kMaxPictureSide) return std::nullopt;
      return TPictureSize{static_cast<int>(w), static_cast<int>(h)};
    }
    default:
      return std::nullopt;
  }
}

TSetupEstimate EstimateSetup(const std::vector<std::string>& pictures, const std::vector<std::string>& music,
                             TPictureSize box) {
  TSetupEstimate e;
  const auto bytesOf = [](const std::string& f) {
    const std::optional<platform::TFileStamp> s = platform::FileStampOf(f);
    return s ? s->Size : 0;
  };
  for (const std::string& f : music) e.AsTheyAre += bytesOf(f);
  e.Smaller = e.AsTheyAre;
  for (const std::string& f : pictures) {
    const uint64_t bytes = bytesOf(f);
    e.AsTheyAre += bytes;
    const std::optional<TPictureSize> size = ShrinkableKind(f) ? PhotoHeaderSize(f) : std::nullopt;
    if (!size || Fits(*size, box)) {
      e.Smaller += bytes;
      continue;
    }
    const TPictureSize target = ShrinkToFitSize(*size, box);
    const double share = static_cast<double>(target.Width) * target.Height / (static_cast<double>(size->Width) * size->Height);
    e.Smaller += static_cast<uint64_t>(static_cast<double>(bytes) * share);
  }
  return e;
}

std::string EstimateText(const TSetupEstimate& e, bool shrinking) {
  if (!shrinking || e.Smaller >= e.AsTheyAre) return "Estimated setup size: about " + ByteSize(e.AsTheyAre);
  return "Estimated setup size: about " + ByteSize(e.Smaller) + " (" + ByteSize(e.AsTheyAre) +
         " with the photos as they are)";
}

}  // namespace vanta
