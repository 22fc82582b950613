#pragma once
// Placeholder picture box until the JPEG picture lands: an empty frame.

#include <QWidget>
#include <functional>
#include <memory>

class TJPEGImage;

class TImage : public QWidget {
    Q_OBJECT
public:
    TImage(QWidget* parent, int screenDepth) : QWidget(parent), screenDepth_(screenDepth) {}
    TJPEGImage* Picture() const { return nullptr; }
    void Clear() {}
    std::function<void(const QString&)> OnDecodeError;

private:
    int screenDepth_;
};
