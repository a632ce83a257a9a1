#pragma once
// "Numériser…": a scan into one searchable PDF, saved in the book's inbox or
// filed at once under the selected subject. SANE is used from one worker
// thread only (device list, the device's choices, the scan); the dialog shows
// the progress of the run and stops it with "Arrêter".

#include <QDialog>
#include <QPointer>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "scan/scan_run.h"
#include "scan/scanner.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QRadioButton;

namespace tavelo::gui {

class CTenorelDoc;

class CScanDlg : public QDialog {
    Q_OBJECT
public:
    CScanDlg(CTenorelDoc* doc, QWidget* parent = nullptr);
    ~CScanDlg() override;

    QComboBox* Devices() const { return m_devices; }
    QComboBox* Sources() const { return m_sources; }
    QComboBox* Resolutions() const { return m_resolutions; }
    QComboBox* Modes() const { return m_modes; }
    QCheckBox* DropBlank() const { return m_dropBlank; }
    QRadioButton* ToInbox() const { return m_toInbox; }
    QRadioButton* ToSubject() const { return m_toSubject; }
    QPushButton* ScanButton() const { return m_scan; }
    QPushButton* StopButton() const { return m_stop; }
    QLabel* ProgressLine() const { return m_progress; }
    QLabel* ReportLine() const { return m_report; }
    // The device's choices are shown (a device is open).
    bool DeviceReady() const { return m_ready; }
    bool Scanning() const { return m_scanning; }
    // The PDF of the last run, when one was written.
    const QString& WrittenPath() const { return m_written; }

protected:
    void reject() override;

private:
    // Runs on the worker thread, in order.
    void Post(std::function<void()> task);
    void WorkerLoop();
    void ListDevices();
    void OpenDevice(const QString& name);
    void StartScan();
    void ShowChoices(const scan::DeviceChoices& choices);
    void Finished(const QString& path, const scan::ScanReport& report, const QString& refused);
    void UpdateButtons();

    QPointer<CTenorelDoc> m_doc;
    QComboBox* m_devices;
    QComboBox* m_sources;
    QComboBox* m_resolutions;
    QComboBox* m_modes;
    QCheckBox* m_dropBlank;
    QRadioButton* m_toInbox;
    QRadioButton* m_toSubject;
    QPushButton* m_scan;
    QPushButton* m_stop;
    QPushButton* m_close;
    QLabel* m_progress;
    QLabel* m_report;
    bool m_ready = false;
    bool m_scanning = false;
    bool m_closeWhenDone = false;
    QString m_written;

    // The worker's: SANE, the open device.
    std::unique_ptr<scan::ScannerLibrary> m_library;
    std::unique_ptr<scan::Device> m_device;
    std::atomic<bool> m_cancel{false};

    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<std::function<void()>> m_tasks;
    bool m_quit = false;
    std::thread m_worker;
};

} // namespace tavelo::gui
