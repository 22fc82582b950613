// How fast the program steps, through its real window driven offscreen:
//  - a step through a folder of 24-megapixel photos (SelectNext until the three frames are
//    decoded and drawn) against libjpeg-turbo alone decoding the same three files;
//  - the first paint of the new photo in the main frame after a step;
//  - the peak resident memory while stepping through those photos;
//  - opening, and one step in, folders of 1,000, 10,000 and 50,000 items without photos.
// It makes its own data in a temporary folder and prints one Markdown table.
//
// Usage: bench_porteo [--quick] [--only photos|folders] [--steps N] [--perf-ctl FIFO]
//   --quick     tiny photos and folders, for a smoke run (seconds); no targets are judged
//   --perf-ctl  a perf control FIFO: profiling is enabled only around the measured steps, e.g.
//               mkfifo /tmp/ctl; perf record -D -1 --control fifo:/tmp/ctl -- bench_porteo --perf-ctl /tmp/ctl
// Exit status 1 when the program did not do what a step must do (a frame not drawn, an error).

#include "BenchJpeg.h"
#include "platform/FileSystem.h"
#include "platform/Services.h"
#include "platform/TComboBox.h"
#include "platform/TImage.h"
#include "platform/TStringList.h"
#include "platform/TUpDown.h"
#include "shell/Shell.h"
#include "ui/Application.h"
#include "ui/UMainMenu.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <QWindow>

#include <exiv2/exiv2.hpp>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <malloc.h>
#include <numeric>
#include <random>
#include <string>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>
#include <vector>

namespace {

using bench::Clock;
using bench::Median;
using bench::Ms;

// ---------------------------------------------------------------------------------------------
// The window's services: the picker answers the folder to open; reports are kept.

class BenchServices : public Services {
public:
    std::optional<QByteArray> folder;
    QStringList reports;

    std::optional<QByteArray> BrowseForFolder(QWidget*, const QString&) override
    {
        auto answer = folder;
        folder.reset();
        return answer;
    }
    void ShowMessage(QWidget*, const QString& text) override { reports << text; }
    void ShowErrorReport(QWidget*, const QString& text) override { reports << text; }
    std::unique_ptr<TShellApplication> CreateShell() override { return std::make_unique<TShellApplication>(); }
    int ScreenDepth() override { return 24; }
    bool DirectoryExists(const QByteArray& path) override { return ::DirectoryExists(path); }
    bool FileExists(const QByteArray& path) override { return ::FileExists(path); }
    MoveOutcome MoveFileNoReplace(const QByteArray&, const QByteArray&) override
    {
        return {false, QStringLiteral("the benchmark renames nothing")};
    }
};

// ---------------------------------------------------------------------------------------------
// Process figures from /proc.

long ProcStatusKb(const char* field)
{
    FILE* f = std::fopen("/proc/self/status", "r");
    if (!f)
        return -1;
    char line[256];
    long value = -1;
    const size_t len = std::strlen(field);
    while (std::fgets(line, sizeof line, f))
        if (std::strncmp(line, field, len) == 0 && line[len] == ':')
            value = std::atol(line + len + 1);
    std::fclose(f);
    return value;
}

// CPU time of the process (all threads), in ms: unlike the wall clock, not stretched while other
// jobs on a shared machine have the CPU.
double CpuMs()
{
    timespec t {};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

// Resets the peak resident size (VmHWM) to the present one; false where the kernel cannot.
bool ResetPeakRss()
{
    const int fd = ::open("/proc/self/clear_refs", O_WRONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool ok = ::write(fd, "5", 1) == 1;
    ::close(fd);
    return ok;
}

// Bytes this process has read through read(2) and its kin.
long long BytesRead()
{
    FILE* f = std::fopen("/proc/self/io", "r");
    if (!f)
        return -1;
    char line[128];
    long long value = -1;
    while (std::fgets(line, sizeof line, f))
        if (std::strncmp(line, "rchar:", 6) == 0)
            value = std::atoll(line + 6);
    std::fclose(f);
    return value;
}

// perf's control FIFO (--perf-ctl): the profile covers only what lies between Profile(true) and
// Profile(false).
int gPerfControl = -1;

void Profile(bool on)
{
    if (gPerfControl < 0)
        return;
    const char* command = on ? "enable\n" : "disable\n";
    if (::write(gPerfControl, command, std::strlen(command)) < 0)
        std::fprintf(stderr, "bench_porteo: perf control: %s\n", std::strerror(errno));
}

// ---------------------------------------------------------------------------------------------
// Data.

// A camera photo: noisy pixels and a little EXIF (camera model, date taken), which the details
// panel reads.
QByteArray CameraPhoto(int width, int height, unsigned seed)
{
    const QByteArray jpeg = bench::EncodeNoisy(width, height, 90, false, seed, 30);
    Exiv2::Image::AutoPtr image =
        Exiv2::ImageFactory::open(reinterpret_cast<const Exiv2::byte*>(jpeg.constData()), long(jpeg.size()));
    image->readMetadata();
    Exiv2::ExifData& exif = image->exifData();
    exif["Exif.Image.Make"] = "Bench";
    exif["Exif.Image.Model"] = "Bench 24M";
    exif["Exif.Photo.DateTimeOriginal"] = "2004:05:01 09:05:00";
    exif["Exif.Photo.DateTimeDigitized"] = "2004:05:01 09:05:00";
    image->writeMetadata();
    Exiv2::BasicIo& io = image->io();
    io.seek(0, Exiv2::BasicIo::beg);
    QByteArray out(qsizetype(io.size()), Qt::Uninitialized);
    io.read(reinterpret_cast<Exiv2::byte*>(out.data()), long(out.size()));
    return out;
}

bool MakeEmptyFiles(const QByteArray& folder, int count)
{
    // Created in a shuffled order, so that the listing has something to sort.
    std::vector<int> order(static_cast<size_t>(count));
    std::iota(order.begin(), order.end(), 1);
    std::shuffle(order.begin(), order.end(), std::mt19937(count));
    for (int i : order) {
        const QByteArray path = folder + "/DSC" + QByteArray::number(i) + ".txt";
        const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (fd < 0)
            return false;
        ::close(fd);
    }
    return true;
}

// ---------------------------------------------------------------------------------------------
// The window, driven as a user would, with the means to wait for its frames.

class Driver {
public:
    BenchServices services;
    std::unique_ptr<TFMainMenu> window;

    Driver()
    {
        window = std::make_unique<TFMainMenu>(services);
        FMainMenu = window.get();
        window->show();
        QElapsedTimer wait;
        wait.start();
        while (!window->windowHandle()->isExposed() && wait.elapsed() < 5000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        boxes_ = {window->Image1, window->Image2, window->Image3};
        for (size_t i = 0; i < boxes_.size(); ++i)
            QObject::connect(boxes_[i], &TImage::RowsPainted, [this, i](int rows) { Painted(i, rows); });
    }

    ~Driver() { FMainMenu = nullptr; }

    // Chooses the folder through the menu, then lets the window draw what it shows.
    void Open(const QByteArray& folder)
    {
        services.folder = folder;
        window->mOpen1->trigger();
    }

    struct Step {
        double total = 0;      // ms until every frame with a picture has it decoded and drawn
        double firstRows = -1; // ms until the main frame first drew rows of its new picture
        double action = 0;     // ms until the step's handler returned (the refresh itself)
        bool complete = false;
    };

    // Runs `action` (a step), then the event loop until the three frames have their new
    // pictures decoded and drawn in full.
    template <typename Action>
    Step StepAndWait(Action action, int timeoutMs = 120000)
    {
        for (auto& f : full_)
            f = false;
        firstRows_ = {};
        armed_ = false;
        const auto start = Clock::now();
        start_ = start;
        action();
        const auto acted = Clock::now();
        // Paints during the step itself (its repaint before any picture is loaded) show the old
        // pictures; from here on a paint shows the new ones.
        armed_ = true;
        Step step;
        if (!AllDrawn()) {
            QEventLoop loop;
            loop_ = &loop;
            QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
            loop.exec();
            loop_ = nullptr;
        }
        const auto end = Clock::now();
        armed_ = false;
        step.complete = AllDrawn();
        step.total = Ms(end - start);
        step.action = Ms(acted - start);
        if (firstRows_ != Clock::time_point{})
            step.firstRows = Ms(firstRows_ - start);
        return step;
    }

    // Runs the event loop until nothing is pending (paints included).
    static void Drain()
    {
        for (int i = 0; i < 3; ++i)
            QCoreApplication::processEvents(QEventLoop::AllEvents);
    }

    // The paths of the items the three frames show now (empty where a frame shows nothing).
    std::vector<QByteArray> ShownPaths() const
    {
        std::vector<QByteArray> paths;
        const int selection = window->ComboBox1->ItemIndex();
        for (int i : {selection, selection - 1, selection + 1})
            if (i >= 0 && i < window->CurrentNames->Count())
                paths.push_back(window->FolderPath + '/' + window->CurrentNames->Strings(i));
        return paths;
    }

    int PicturesShown() const
    {
        int n = 0;
        for (TImage* box : boxes_)
            n += box->Picture() != nullptr;
        return n;
    }

private:
    bool AllDrawn() const
    {
        for (size_t i = 0; i < boxes_.size(); ++i)
            if (boxes_[i]->Picture() && !full_[i])
                return false;
        return true;
    }

    void Painted(size_t box, int rows)
    {
        if (!armed_)
            return;
        const TJPEGImage* picture = boxes_[box]->Picture();
        if (box == 0 && rows > 0 && firstRows_ == Clock::time_point{})
            firstRows_ = Clock::now();
        if (picture && picture->Finished() && rows >= picture->Height())
            full_[box] = true;
        if (loop_ && AllDrawn())
            loop_->quit();
    }

    std::array<TImage*, 3> boxes_{};
    std::array<bool, 3> full_{};
    bool armed_ = false;
    Clock::time_point start_{};
    Clock::time_point firstRows_{};
    QEventLoop* loop_ = nullptr;
};

// ---------------------------------------------------------------------------------------------
// The table.

struct Row {
    std::string measure;
    std::string value;
    std::string target;
    std::string verdict;
};

std::string Format(const char* format, double value)
{
    char text[64];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

std::string Grouped(long long n)
{
    std::string digits = std::to_string(n);
    for (int i = int(digits.size()) - 3; i > 0; i -= 3)
        digits.insert(size_t(i), ",");
    return digits;
}

std::string Verdict(bool judged, bool met)
{
    return judged ? (met ? "met" : "MISSED") : "";
}

struct Options {
    bool quick = false;
    bool photos = true;
    bool folders = true;
    int steps = 0; // photo steps measured; 0: the default
};

bool Failed(const char* what, const QStringList& reports = {})
{
    std::fprintf(stderr, "bench_porteo: %s\n", what);
    for (const QString& r : reports)
        std::fprintf(stderr, "  report: %s\n", qPrintable(r));
    return false;
}

// Stepping through photos. Appends its rows; false when a step did not do its work.
bool BenchPhotos(const Options& options, const QByteArray& root, std::vector<Row>& rows, std::string& title)
{
    const int width = options.quick ? 600 : 6000;
    const int height = options.quick ? 400 : 4000;
    const int steps = options.steps > 0 ? options.steps : options.quick ? 3 : 11;
    const int count = steps + 2; // every measured step shows three photos
    const QByteArray folder = root + "/photos";
    ::mkdir(folder.constData(), 0755);
    std::fprintf(stderr, "making %d photos of %dx%d...\n", count, width, height);
    long long bytes = 0;
    for (int i = 0; i < count; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "/IMG_%04d.JPG", i + 1);
        const QByteArray photo = CameraPhoto(width, height, unsigned(i + 1));
        bytes += photo.size();
        if (!bench::WriteFile(folder + name, photo))
            return Failed("cannot write the photos");
    }
    const double meanMb = double(bytes) / count / 1e6;
    const double megapixels = width * double(height) / 1e6;
    title = Format(megapixels >= 1 ? "%.0f" : "%.2f", megapixels) + "-Mpx photos (" + std::to_string(width) + " × "
        + std::to_string(height) + ", " + Format("%.1f", meanMb) + " MB each)";

    // What making the photos left in the heap goes back to the system, so that the memory
    // measured below is the program's.
    ::malloc_trim(0);
    Driver d;
    // Pass 1, the program alone: peak memory while stepping through every photo.
    const long restKb = ProcStatusKb("VmRSS");
    const bool peakReset = ResetPeakRss();
    d.Open(folder);
    Driver::Step opened = d.StepAndWait([] {});
    if (!opened.complete || !d.services.reports.isEmpty())
        return Failed("the opened folder's photos were not drawn", d.services.reports);
    for (int i = 0; i + 1 < count; ++i) {
        const Driver::Step s = d.StepAndWait([&] { d.window->SelectNext(); });
        if (!s.complete || !d.services.reports.isEmpty())
            return Failed("a step did not draw its photos", d.services.reports);
    }
    const long peakKb = ProcStatusKb("VmHWM");

    // Pass 2: each step, then libjpeg-turbo decoding the step's three files, in turn.
    d.Open(folder);
    if (!d.StepAndWait([] {}).complete)
        return Failed("the opened folder's photos were not drawn", d.services.reports);
    std::vector<double> stepMs, heapLimitMs, hugeLimitMs, limitMs, firstMs, refreshMs, readRatio;
    for (int i = 0; i < steps; ++i) {
        const long long readBefore = BytesRead();
        Profile(true);
        const Driver::Step s = d.StepAndWait([&] { d.window->SelectNext(); });
        Profile(false);
        const long long readAfter = BytesRead();
        if (!s.complete || d.PicturesShown() != 3 || !d.services.reports.isEmpty())
            return Failed("a step did not draw its three photos", d.services.reports);
        double heapLimit = 0, hugeLimit = 0, limit = 0;
        long long shownBytes = 0;
        for (const QByteArray& path : d.ShownPaths()) {
            const double heap = bench::PlainLibjpegDecode(path, bench::Memory::Heap);
            const double huge = bench::PlainLibjpegDecode(path, bench::Memory::HugePages);
            if (heap < 0 || huge < 0)
                return Failed("libjpeg could not decode a photo", d.services.reports);
            heapLimit += heap;
            hugeLimit += huge;
            limit += std::min(heap, huge);
            shownBytes += QFile(QString::fromLocal8Bit(path)).size();
        }
        stepMs.push_back(s.total);
        heapLimitMs.push_back(heapLimit);
        hugeLimitMs.push_back(hugeLimit);
        limitMs.push_back(limit);
        firstMs.push_back(s.firstRows);
        refreshMs.push_back(s.action);
        readRatio.push_back(double(readAfter - readBefore) / double(shownBytes));
    }
    std::vector<double> ratios;
    for (size_t i = 0; i < stepMs.size(); ++i)
        ratios.push_back(stepMs[i] / limitMs[i]);
    const double ratio = Median(ratios);
    const bool judged = !options.quick;
    const std::string n = std::to_string(steps);
    rows.push_back({"step with photos: `SelectNext` until all three frames are decoded and drawn (median of " + n
                        + ", min–max " + Format("%.0f", *std::min_element(stepMs.begin(), stepMs.end())) + "–"
                        + Format("%.0f", *std::max_element(stepMs.begin(), stepMs.end())) + " ms)",
                    Format("%.0f ms", Median(stepMs)), "", ""});
    rows.push_back({"of which the refresh, until `SelectNext` returns (median)", Format("%.1f ms", Median(refreshMs)),
                    "", ""});
    rows.push_back({"libjpeg-turbo alone, after each step: the same three files read whole and decoded at 1/1 into "
                    "`new[]` memory (median)",
                    Format("%.0f ms", Median(heapLimitMs)), "", ""});
    rows.push_back({"the same into fresh pages asked for as huge pages, as the program's pictures are (median)",
                    Format("%.0f ms", Median(hugeLimitMs)), "", ""});
    rows.push_back({"ratio step / libjpeg-turbo alone, the faster of the two for each file (median of the steps' ratios)",
                    Format("%.3f", ratio), judged ? "≤ 1.15" : "", Verdict(judged, ratio <= 1.15)});
    rows.push_back({"first paint: from the step until the main frame first shows rows of its new photo (median)",
                    Format("%.0f ms", Median(firstMs)), "", ""});
    rows.push_back({"bytes read in a step / size of the three files shown (median)", Format("%.3f", Median(readRatio)),
                    "", ""});
    rows.push_back({"peak resident memory (VmHWM) while stepping through all " + std::to_string(count)
                        + " photos" + (peakReset ? "" : " (peak since start: VmHWM could not be reset)")
                        + "; at rest before: " + Format("%.0f MB", double(restKb) / 1024),
                    Format("%.0f MB", double(peakKb) / 1024), judged ? "< 300 MB" : "", Verdict(judged, peakKb < 300 * 1024)});
    return true;
}

// Opening and stepping in large folders without photos. The sizes are measured in turn, round
// after round, so that a change in the machine's load falls on all of them alike.
bool BenchFolders(const Options& options, const QByteArray& root, std::vector<Row>& rows)
{
    const std::vector<int> sizes = options.quick ? std::vector<int>{200, 1000, 2000} : std::vector<int>{1000, 10000, 50000};
    const int rounds = options.quick ? 2 : 5;
    const int stepsPerRound = 2;
    const QByteArray other = root + "/other";
    ::mkdir(other.constData(), 0755);
    if (!MakeEmptyFiles(other, 1))
        return Failed("cannot make the folder");
    std::vector<QByteArray> folders;
    for (int n : sizes) {
        folders.push_back(root + "/items" + QByteArray::number(n));
        ::mkdir(folders.back().constData(), 0755);
        std::fprintf(stderr, "making %d empty files...\n", n);
        if (!MakeEmptyFiles(folders.back(), n))
            return Failed("cannot make the folder");
    }
    Driver d;
    std::vector<std::vector<double>> opens(sizes.size()), steps(sizes.size());
    std::vector<std::vector<double>> openCpu(sizes.size()), stepCpu(sizes.size());
    for (int round = 0; round < rounds; ++round) {
        for (size_t k = 0; k < sizes.size(); ++k) {
            const int n = sizes[k];
            // Opening: the listing, the first refresh, and the window drawn; after another
            // folder, so that the listing is made (and sorted) anew.
            d.Open(other);
            Driver::Drain();
            auto start = Clock::now();
            double cpu = CpuMs();
            Profile(true);
            d.Open(folders[k]);
            Driver::Drain();
            Profile(false);
            opens[k].push_back(Ms(Clock::now() - start));
            openCpu[k].push_back(CpuMs() - cpu);
            if (d.window->ComboBox1->count() != n || !d.services.reports.isEmpty())
                return Failed("the folder was not listed", d.services.reports);
            // Steps from the middle of the folder: each refresh finds the item and its neighbours
            // there.
            d.window->ComboBox1->SetItemIndex(n / 2);
            d.window->UpDown1->SetPositionDirect(qint16(n / 2));
            for (int i = 0; i < stepsPerRound; ++i) {
                const int before = d.window->RefreshCount();
                start = Clock::now();
                cpu = CpuMs();
                Profile(true);
                d.window->SelectNext();
                Driver::Drain();
                Profile(false);
                steps[k].push_back(Ms(Clock::now() - start));
                stepCpu[k].push_back(CpuMs() - cpu);
                if (d.window->RefreshCount() != before + 1 || !d.services.reports.isEmpty())
                    return Failed("a step in the folder did not refresh", d.services.reports);
            }
        }
    }
    std::vector<double> openMs, stepMs, openCpuMs, stepCpuMs;
    for (size_t k = 0; k < sizes.size(); ++k) {
        const int n = sizes[k];
        openMs.push_back(Median(opens[k]));
        stepMs.push_back(Median(steps[k]));
        openCpuMs.push_back(Median(openCpu[k]));
        stepCpuMs.push_back(Median(stepCpu[k]));
        const std::string items = Grouped(n) + " items";
        const bool largest = k + 1 == sizes.size();
        rows.push_back({"open a folder of " + items + " (listing, first refresh, drawn; after a one-item folder; median of "
                            + std::to_string(opens[k].size()) + ")",
                        Format("%.1f ms", openMs.back()) + " (CPU " + Format("%.1f", openCpuMs.back()) + ")",
                        largest && !options.quick ? "< 500 ms" : "",
                        largest ? Verdict(!options.quick, openMs.back() < 500) : ""});
        rows.push_back({"one step in " + items + " (`SelectNext` from the middle, drawn; median of "
                            + std::to_string(steps[k].size()) + ")",
                        Format("%.1f ms", stepMs.back()) + " (CPU " + Format("%.1f", stepCpuMs.back()) + ")",
                        largest && !options.quick ? "< 60 ms" : "",
                        largest ? Verdict(!options.quick, stepMs.back() < 60) : ""});
    }
    // Growth from the middle size to the largest, against the growth of the item count: in wall
    // time, and in CPU time, which the machine's other jobs do not stretch.
    const double items = double(sizes[2]) / sizes[1];
    const auto growth = [&](const std::vector<double>& v) { return v[2] / v[1]; };
    const std::string range = Grouped(sizes[1]) + " → " + Grouped(sizes[2]) + " items (×" + Format("%.0f", items) + ")";
    const std::string linear = options.quick ? "" : Format("≤ ×%.0f (linear)", items);
    rows.push_back({"growth " + range + ", wall time: open ×" + Format("%.2f", growth(openMs)) + ", step ×"
                        + Format("%.2f", growth(stepMs)),
                    Format("×%.2f", std::max(growth(openMs), growth(stepMs))), linear,
                    Verdict(!options.quick, growth(openMs) <= items && growth(stepMs) <= items)});
    rows.push_back({"growth " + range + ", CPU time: open ×" + Format("%.2f", growth(openCpuMs)) + ", step ×"
                        + Format("%.2f", growth(stepCpuMs)),
                    Format("×%.2f", std::max(growth(openCpuMs), growth(stepCpuMs))), linear,
                    Verdict(!options.quick, growth(openCpuMs) <= items && growth(stepCpuMs) <= items)});
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--quick") {
            options.quick = true;
        } else if (arg == "--only" && i + 1 < argc) {
            const std::string what = argv[++i];
            options.photos = what == "photos";
            options.folders = what == "folders";
        } else if (arg == "--perf-ctl" && i + 1 < argc) {
            gPerfControl = ::open(argv[++i], O_WRONLY | O_CLOEXEC);
            if (gPerfControl < 0) {
                std::fprintf(stderr, "bench_porteo: %s: %s\n", argv[i], std::strerror(errno));
                return 2;
            }
        } else if (arg == "--steps" && i + 1 < argc) {
            options.steps = std::max(1, std::atoi(argv[++i]));
        } else {
            std::fprintf(stderr, "usage: bench_porteo [--quick] [--only photos|folders] [--steps N] [--perf-ctl FIFO]\n");
            return 2;
        }
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    InitialiseApplication(app);
    QTemporaryDir dir;
    if (!dir.isValid()) {
        std::fprintf(stderr, "bench_porteo: no temporary folder\n");
        return 1;
    }
    const QByteArray root = QFile::encodeName(dir.path());

    std::vector<Row> rows;
    std::string photos = "no photos";
    if (options.photos && !BenchPhotos(options, root, rows, photos))
        return 1;
    if (options.folders && !BenchFolders(options, root, rows))
        return 1;

    std::printf("bench_porteo%s: %s; folders of empty files\n\n", options.quick ? " --quick" : "", photos.c_str());
    std::printf("| measure | value | target | |\n|---|---:|---|---|\n");
    for (const Row& r : rows)
        std::printf("| %s | %s | %s | %s |\n", r.measure.c_str(), r.value.c_str(), r.target.c_str(), r.verdict.c_str());
    return 0;
}
