// `publish`: a new release of the update folder, switched to in one rename.
#include "service/admin/Admin.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>

#include "wire/Gzip.h"

namespace tarvik::service {

namespace {

namespace fs = std::filesystem;

// A new file, written and flushed to the disk before it counts as written.
bool WriteNewFile(const fs::path& path, const std::string& data) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
  if (fd < 0) return false;
  std::size_t done = 0;
  while (done < data.size()) {
    const ssize_t n = ::write(fd, data.data() + done, data.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += static_cast<std::size_t>(n);
  }
  const bool ok = done == data.size() && ::fsync(fd) == 0;
  ::close(fd);
  return ok;
}

void SyncFolder(const fs::path& folder) {
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

// DIR/current now names `release` (a name below DIR/releases/): a new link
// under a temporary name, renamed over the old one.
bool PointCurrentAt(const fs::path& base, const std::string& release, std::string& error) {
  const fs::path tmp = base / (".current.tmp" + std::to_string(::getpid()));
  ::unlink(tmp.c_str());
  if (::symlink(("releases/" + release).c_str(), tmp.c_str()) != 0 ||
      ::rename(tmp.c_str(), (base / "current").c_str()) != 0) {
    error = std::strerror(errno);
    ::unlink(tmp.c_str());
    return false;
  }
  SyncFolder(base);
  return true;
}

// Removes every release but the current and the one before it (a client may
// be fetching its files still).
void PruneReleases(const fs::path& base, const std::string& current, const std::string& previous) {
  std::error_code ec;
  for (const auto& e : fs::directory_iterator(base / "releases", ec)) {
    const std::string name = e.path().filename().string();
    if (name != current && name != previous) fs::remove_all(e.path(), ec);
  }
}

// Every name becomes one "name,crc" line of the manifest that every client
// reads: a line break, another control character or a comma in it would
// break the manifest for all of them. False, said on err, for the first such.
bool ManifestCanCarry(const std::vector<std::string>& files, std::ostream& err) {
  for (const auto& f : files) {
    const std::string name = fs::path(f).filename().string();
    const bool plain = std::none_of(name.begin(), name.end(), [](char ch) {
      const auto c = static_cast<unsigned char>(ch);
      return c < 0x20 || c == 0x7F || c == ',';
    });
    if (name.empty() || !plain) {
      err << "tarvik-service: publish: a file name the manifest cannot carry (a control character or a"
             " comma): "
          << f << "\n";
      return false;
    }
  }
  return true;
}

// A new release folder below base/releases, named by the time, with its
// DATA/IMAGE; empty when it cannot be made.
fs::path NewRelease(const fs::path& base) {
  std::error_code ec;
  fs::create_directories(base / "releases", ec);
  char stamp[32];
  const std::time_t now = std::time(nullptr);
  std::tm tm{};
  gmtime_r(&now, &tm);
  std::strftime(stamp, sizeof stamp, "%Y%m%d%H%M%S", &tm);
  std::string folder = (base / "releases" / (std::string("r-") + stamp + "-XXXXXX")).string();
  if (ec || !::mkdtemp(folder.data())) return fs::path();
  fs::create_directories(fs::path(folder) / "DATA" / "IMAGE", ec);
  return fs::path(folder);
}

// Copies one file into the folder `to` and gives "name,crc\r\n" for the
// manifest; false, said on err, when it cannot.
bool CopyInto(const std::string& source, const fs::path& to, std::string& entry, std::ostream& err) {
  std::string data;
  if (!ReadWholeFile(source, data)) {
    err << "tarvik-service: publish: cannot read " << source << "\n";
    return false;
  }
  const std::string name = fs::path(source).filename().string();
  if (!WriteNewFile(to / name, data)) {
    err << "tarvik-service: publish: cannot write " << (to / name).string() << "\n";
    return false;
  }
  entry = name + "," + std::to_string(Crc32(data)) + "\r\n";
  return true;
}

// The program, modules and images and the manifest naming them, written and
// flushed into release; version gets the program's CRC. False, said on err,
// at the first file that fails.
bool FillRelease(const fs::path& release, const std::string& program,
                 const std::vector<std::string>& modules, const std::vector<std::string>& images,
                 const std::string& message, std::string& version, std::ostream& err) {
  std::string moduleList, imageList, entry;
  if (!CopyInto(program, release / "DATA", entry, err)) return false;
  version = entry.substr(entry.find(',') + 1, entry.size() - entry.find(',') - 3);
  for (const auto& m : modules) {
    if (!CopyInto(m, release / "DATA", entry, err)) return false;
    moduleList += entry;
  }
  for (const auto& i : images) {
    if (!CopyInto(i, release / "DATA" / "IMAGE", entry, err)) return false;
    imageList += entry;
  }
  const std::string manifest = "<VERSION>" + version + "</VERSION><MODULE>" + moduleList +
                               "</MODULE><IMAGE>" + imageList + "</IMAGE><MESSAGE>" + message +
                               "</MESSAGE>";
  if (!WriteNewFile(release / "tkclienti.ini", manifest)) {
    err << "tarvik-service: publish: cannot write the manifest\n";
    return false;
  }
  SyncFolder(release / "DATA" / "IMAGE");
  SyncFolder(release / "DATA");
  SyncFolder(release);
  return true;
}

}  // namespace

int AdminPublish(const std::string& updateDir, const std::string& program,
                 const std::vector<std::string>& modules, const std::vector<std::string>& images,
                 const std::string& message, std::ostream& out, std::ostream& err) {
  std::vector<std::string> files{program};
  files.insert(files.end(), modules.begin(), modules.end());
  files.insert(files.end(), images.begin(), images.end());
  if (!ManifestCanCarry(files, err)) return 2;
  const fs::path base(updateDir);
  const fs::path release = NewRelease(base);
  if (release.empty()) {
    err << "tarvik-service: publish: cannot make a release folder below " << updateDir << "\n";
    return 1;
  }
  std::error_code ec;
  std::string version, error;
  if (!FillRelease(release, program, modules, images, message, version, err)) {
    fs::remove_all(release, ec);
    return 1;
  }
  const std::string name = release.filename().string();
  const std::string previous = fs::read_symlink(base / "current", ec).filename().string();
  if (!PointCurrentAt(base, name, error)) {
    err << "tarvik-service: publish: cannot switch to the new release: " << error << "\n";
    fs::remove_all(release, ec);
    return 1;
  }
  PruneReleases(base, name, previous);
  out << "published " << fs::path(program).filename().string() << " crc " << version << " with "
      << modules.size() << " modules and " << images.size() << " images\n";
  return 0;
}

bool ReadWholeFile(const std::string& path, std::string& data) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::ostringstream s;
  s << in.rdbuf();
  data = s.str();
  return !in.bad();
}

}  // namespace tarvik::service
