#pragma once
// An edit field that shows when its text differs from the last saved text
// (the baseline), so unsaved edits stand out.

#include <QLineEdit>

class QLineEditViewChange : public QLineEdit {
    Q_OBJECT
public:
    explicit QLineEditViewChange(QWidget *parent = nullptr);

    static const char *const changedStyle;

    // The current text becomes the baseline; the mark is cleared.
    void reset();
    QString baseline() const { return m_baseline; }
    bool isChanged() const { return m_changed; }

public slots:
    void updateStyle(QString newvalue);

private:
    QString m_baseline;
    bool m_changed = false;
};
