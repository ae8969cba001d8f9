#include "export/export_csv.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <random>
#include <string_view>

#include "export/csv.h"
#include "text/text_ops.h"

namespace lanyi {

namespace {

constexpr int kTempNameAttempts = 16;

std::string temp_name_beside(const std::string& path) {
    static constexpr char hex[] = "0123456789abcdef";
    std::random_device random;
    std::string name = path + ".tmp-";
    for (int i = 0; i < 4; ++i) {
        const unsigned bits = random();
        for (int k = 0; k < 4; ++k) name += hex[(bits >> (4 * k)) & 0xF];
    }
    return name;
}

bool write_all(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

}  // namespace

GbkText proposed_file_name(const SearchInputs& inputs) {
    static const GbkText dash("-");
    static const GbkText extension(".csv");
    return gbk_concat(inputs.keyword, dash, inputs.region, dash, inputs.filter, extension);
}

bool write_csv_file(const ResultList& list, const std::string& path) {
    std::string temp;
    int fd = -1;
    for (int attempt = 0; attempt < kTempNameAttempts && fd < 0; ++attempt) {
        temp = temp_name_beside(path);
        // 0666 before the umask: the file gets the mode any new file would get.
        fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST) return false;
    }
    if (fd < 0) return false;
    const bool written =
        write_csv_text(list, [fd](std::string_view piece) { return write_all(fd, piece); }) && ::fsync(fd) == 0;
    const bool closed = ::close(fd) == 0;
    if (!written || !closed || std::rename(temp.c_str(), path.c_str()) != 0) {
        ::unlink(temp.c_str());
        return false;
    }
    return true;
}

bool export_csv(Harvest& harvest) {
    ResultList& list = harvest.list();
    if (list.row_count() < 1) return false;
    const auto path = harvest.window.choose_save_path(proposed_file_name(harvest.inputs()),
                                                      desktop_folder());
    if (!path) return false;
    // A failed write is not reported to the user; the caller learns it here.
    return write_csv_file(list, *path);
}

}  // namespace lanyi
