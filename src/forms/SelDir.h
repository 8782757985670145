#pragma once

#include <QDialog>

class QComboBox;
class QGroupBox;
class QLabel;
class QListWidget;
class QListWidgetItem;
class QPushButton;

// The directory picker of the parameter editor: a drive list and a directory list that
// follows it. OK ends it with 1, Cancel (or Escape) with 2; the caller reads Directory.
class TSelDirForm : public QDialog {
    Q_OBJECT
public:
    static constexpr int RisultatoOk = 1;
    static constexpr int RisultatoAnnulla = 2;

    explicit TSelDirForm(QWidget* owner = nullptr);

    QPushButton* ButtonOk;
    QPushButton* ButtonCancel;
    QGroupBox* GroupBox1;
    QLabel* Label4;
    QLabel* Label1;
    QListWidget* DirectoryListBox1;
    QComboBox* DriveComboBox1;

    // The current directory in drive-letter form, "c:\Gestionale\dati" (the root "c:\").
    QString Directory() const;
    // The current drive, a lower-case letter.
    QString Drive() const;
    // The same directory as a path of this system.
    QString DirectoryNativa() const { return directory_; }

    void ButtonOkClick();
    void ButtonCancelClick();
    void DriveComboBox1Change();
    // Opens the directory of that line: an upper one goes up, a lower one goes in.
    void DirectoryListBox1DblClick(QListWidgetItem* riga);
    // Escape and the close box end as Cancel does.
    void reject() override;

protected:
    bool eventFilter(QObject* oggetto, QEvent* evento) override;
    void showEvent(QShowEvent* evento) override;

private:
    void CreaComponenti();
    void CaricaUnita();
    void ApriDirectory(const QString& directory);

    // Root of the current drive and current directory, as paths of this system; the
    // directory is always the root followed by names, so its drive-letter form is plain.
    QString radice_;
    QString directory_;
};
