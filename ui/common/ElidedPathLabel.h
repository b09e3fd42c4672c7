// A label for a folder path that may be longer than the room it has: the path
// is shortened in the middle ("/home/.../Salvari_Date") to the label's width,
// and the whole path is its tooltip. Its size hint never grows with the path,
// so a long path cannot push its window past the screen.
#pragma once

#include <QLabel>

class ElidedPathLabel : public QLabel {
    Q_OBJECT
public:
    explicit ElidedPathLabel(QWidget* parent = nullptr);

    void setPath(const QString& path);
    QString path() const { return m_path; }
    // The text as it is shown at the current width.
    QString shownText() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void refresh();
    QString m_path;
};
