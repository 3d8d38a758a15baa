// The acquisition's notice, called on its worker thread, turned into a
// signal on the thread of the object (queued), where the server resumes.
#pragma once

#include <QMetaObject>
#include <QObject>

namespace velqoris::remote {

class AcquisitionNotice : public QObject {
  Q_OBJECT

 public:
  using QObject::QObject;
  // Safe from any thread.
  void Post() {
    QMetaObject::invokeMethod(
        this, [this] { emit Arrived(); }, Qt::QueuedConnection);
  }

 signals:
  void Arrived();
};

}  // namespace velqoris::remote
