#pragma once

#include <QImage>
#include <QString>
#include <QWidget>

// Shows a skin: a picture whose see-through parts have the key colour, drawn in the size
// made for the device pixels being painted (see ArtImage). A display scaled by a fraction
// puts the window's shape and the scaled picture's pixels a device pixel apart here and
// there; there the edge colours of the picture are carried two pixels out over the key
// colour, so that no key colour shows inside the shape. Painted at its own size, as the
// window's shape is taken, it shows the picture unchanged.
class SkinPicture : public QWidget
{
public:
    explicit SkinPicture(QWidget *parent = nullptr);

    // resource is the plain picture's name, ":/black.gif" say.
    void setSkin(const QString &resource);
    QString skin() const { return m_resource; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    const QImage &pictureFor(qreal devicePixelRatio);

    QString m_resource;
    qreal m_ratio = 0;
    QImage m_picture;
};

// A copy of picture in which every pixel of the key colour within `reach` pixels of
// another colour takes the colour of a neighbour that is nearer to that colour.
QImage WithEdgesCarriedOverKey(const QImage &picture, QRgb key, int reach);
