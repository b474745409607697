#pragma once

// The program's own artwork, drawn in code. Each area of the program registers its images in a
// file of its own with ORVALE_ARTWORK; orvale_artwork draws them all into resources/images.
#include <QImage>
#include <QString>
#include <functional>
#include <vector>

namespace artwork {

struct Item {
    QString file_name;  // as it appears under ":/images/Resources/"
    std::function<QImage()> draw;
};

inline std::vector<Item>& registry() {
    static std::vector<Item> items;
    return items;
}

struct Registrar {
    Registrar(QString file_name, std::function<QImage()> draw) {
        registry().push_back({std::move(file_name), std::move(draw)});
    }
};

}  // namespace artwork

#define ORVALE_ARTWORK_CONCAT2(a, b) a##b
#define ORVALE_ARTWORK_CONCAT(a, b) ORVALE_ARTWORK_CONCAT2(a, b)
// ORVALE_ARTWORK("name.png", [] { QImage image(...); ...; return image; });
#define ORVALE_ARTWORK(file_name, ...)                                                   \
    static const artwork::Registrar ORVALE_ARTWORK_CONCAT(artwork_registrar_, __LINE__)( \
        QStringLiteral(file_name), __VA_ARGS__)
