#include "update/HttpRequest.h"

#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>
#include <QUrl>
#include <charconv>

#include "fileio/AtomicFile.h"
#include "text/NumberReading.h"
#include "update/UpdateUtils.h"

namespace update {

namespace {

constexpr const char* kTooLong = "the answer is longer than 1 MB";
constexpr const char* kNotWritten = "the file could not be written";
constexpr const char* kUnexpected = "an unexpected error";

// What Qt may hold of a body beyond what was taken from it: 256 KB. Much
// less slows a fast link (64 KB halved the speed on 127.0.0.1).
constexpr qint64 kReadAhead = 32 * kChunkSize;

// Content-Length as a number: 0 when the header is missing, nothing when it
// is there but not one whole number (Qt joins repeated headers with
// commas, so a repeated one is refused too).
std::optional<int64_t> ContentLength(const QNetworkReply& reply) {
  if (!reply.hasRawHeader("Content-Length")) return 0;
  const QByteArray text = reply.rawHeader("Content-Length").trimmed();
  int64_t length = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), length);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return length;
}

}  // namespace

// One exchange with the server: the reply, the state changes it causes and
// a local event loop to wait in.
class HttpRequest::Transfer {
 public:
  Transfer(QNetworkAccessManager& control, const QNetworkRequest& request, const std::string& body,
           HttpTimeouts timeouts, int16_t& state, std::string& error)
      : state_(state), error_(error), timeouts_(timeouts) {
    reply_ = control.post(request, QByteArray::fromStdString(body));
    // Keeps Qt from reading more than kReadAhead ahead of the file writes, so
    // memory stays flat whatever the item's size. Qt's HTTP thread learns
    // of the limit only when it is set after the request has started, and a
    // POST starts from the event loop: so it is set now, again right after
    // the start (queued behind it), and once more when the headers are in.
    LimitReadAhead();
    QMetaObject::invokeMethod(
        reply_, [this] { LimitReadAhead(); }, Qt::QueuedConnection);
    timer_.setSingleShot(true);
    timer_.start(timeouts_.connect);
    QObject::connect(&timer_, &QTimer::timeout, &loop_, [this] {
      state_ = kTransportError;
      error_ = headersIn_ ? "the server stopped sending for " + Seconds(timeouts_.idle)
                          : "no answer within " + Seconds(timeouts_.connect);
      reply_->abort();
      loop_.quit();
    });
    const auto activity = [this] {
      timer_.start(headersIn_ ? timeouts_.idle : timeouts_.connect);
      loop_.quit();
    };
    QObject::connect(reply_, &QNetworkReply::metaDataChanged, &loop_, [this, activity] {
      if (!headersIn_) LimitReadAhead();
      headersIn_ = true;
      activity();
    });
    QObject::connect(reply_, &QNetworkReply::readyRead, &loop_, activity);
    QObject::connect(reply_, &QNetworkReply::downloadProgress, &loop_,
                     [this](qint64 received, qint64) { received_ = received; });
    QObject::connect(reply_, &QNetworkReply::uploadProgress, &loop_, activity);
    QObject::connect(reply_, &QNetworkReply::finished, &loop_, [this] {
      timer_.stop();
      loop_.quit();
    });
    QObject::connect(reply_, &QNetworkReply::errorOccurred, &loop_,
                     [this](QNetworkReply::NetworkError code) { OnError(code); });
  }

  ~Transfer() {
    QObject::disconnect(reply_, nullptr, &loop_, nullptr);
    if (!reply_->isFinished()) reply_->abort();
    delete reply_;
  }

  // Waits while the request is still executing: until the answer's headers
  // are in or the exchange ended. False when it failed; an HTTP status other
  // than success is a transport error.
  bool WaitForAnswer() {
    while (state_ == kRequestOk && !headersIn_ && !reply_->isFinished()) loop_.exec();
    if (state_ != kRequestOk) return false;
    if (!HttpSuccess()) {
      state_ = kTransportError;
      error_ = StatusText();
    }
    return state_ == kRequestOk;
  }

  // The next piece of the body, at most kChunkSize bytes; empty at its end
  // and once the exchange failed.
  QByteArray NextChunk() {
    for (;;) {
      if (state_ != kRequestOk) return {};
      if (reply_->bytesAvailable() > 0) return reply_->read(kChunkSize);
      if (reply_->isFinished()) return {};
      const auto start = std::chrono::steady_clock::now();
      loop_.exec();
      waited_ += std::chrono::steady_clock::now() - start;
      CheckRate();
    }
  }

  void Cancel() {
    timer_.stop();
    if (!reply_->isFinished()) reply_->abort();
  }

  const QNetworkReply& Reply() const { return *reply_; }

 private:
  void LimitReadAhead() { reply_->setReadBufferSize(kReadAhead); }

  bool HttpSuccess() const {
    const int status = reply_->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    return status >= 200 && status <= 299;
  }
  // "the server answered HTTP 404 Not Found"
  std::string StatusText() const {
    const QString reason =
        reply_->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString().simplified();
    return "the server answered HTTP " +
           std::to_string(reply_->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt()) +
           (reason.isEmpty() ? "" : " " + reason.left(80).toStdString());
  }
  static std::string Seconds(std::chrono::milliseconds ms) {
    return std::to_string((ms.count() + 999) / 1000) + " s";
  }

  // Only time spent waiting for the body counts against the server: while
  // the program is busy elsewhere, the server's bytes wait in the buffers
  // and it cannot send more.
  void CheckRate() {
    if (waited_ < timeouts_.rateWindow || state_ != kRequestOk || reply_->isFinished()) return;
    if (received_ - receivedAtWindow_ < timeouts_.rateMinBytes) {
      state_ = kTransportError;
      error_ = "the server sends too slowly (less than " + std::to_string(timeouts_.rateMinBytes) +
               " bytes in " + Seconds(timeouts_.rateWindow) + ")";
      Cancel();
      return;
    }
    waited_ = {};
    receivedAtWindow_ = received_;
  }

  void OnError(QNetworkReply::NetworkError code) {
    // Our own abort (cancel or time-out) has set the state already.
    if (code != QNetworkReply::OperationCanceledError && state_ == kRequestOk) {
      state_ = code == QNetworkReply::RemoteHostClosedError ? kConnectionClosed : kTransportError;
      // An HTTP status that is no success is said as the status, not as
      // Qt's sentence about it.
      const bool answered = reply_->attribute(QNetworkRequest::HttpStatusCodeAttribute).isValid();
      error_ = answered && !HttpSuccess() ? StatusText() : reply_->errorString().toStdString();
    }
    loop_.quit();
  }

  int16_t& state_;
  std::string& error_;
  HttpTimeouts timeouts_;
  QNetworkReply* reply_ = nullptr;
  QEventLoop loop_;
  QTimer timer_;
  bool headersIn_ = false;
  // Body bytes received, and at the start of the current rate window; time
  // spent waiting for the body since then.
  qint64 received_ = 0;
  qint64 receivedAtWindow_ = 0;
  std::chrono::steady_clock::duration waited_{};
};

HttpRequest::HttpRequest(std::string host, seams::EventPump& events)
    : host_(std::move(host)), events_(events) {
  headers_ = "Host:" + host_ + "\r\nUser-Agent:" + kUserAgent +
             "\r\nConnection:keep-alive\r\nContent-Type:application/x-www-form-urlencoded";
}

// A connection kept alive would hold the server's side open for a while.
HttpRequest::~HttpRequest() {
  if (internetControl_) internetControl_->clearConnectionCache();
}

QNetworkAccessManager& HttpRequest::InternetControl() {
  if (!internetControl_) {
    internetControl_ = std::make_unique<QNetworkAccessManager>();
    internetControl_->setObjectName("internetControl");
  }
  return *internetControl_;
}

QNetworkRequest HttpRequest::MakeRequest(const std::string& path) const {
  QNetworkRequest request(QUrl(QString::fromStdString("http://" + host_ + path)));
  for (const std::string& line : SliceText(headers_)) {
    const Association header = ExtractPair(line);
    request.setRawHeader(QByteArray::fromStdString(header.key),
                         QByteArray::fromStdString(header.value));
  }
  // Without this Qt offers compression, and a compressed answer loses its
  // Content-Length.
  request.setRawHeader("Accept-Encoding", "identity");
  request.setAttribute(QNetworkRequest::Http2AllowedAttribute, false);
  request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                       QNetworkRequest::ManualRedirectPolicy);
  return request;
}

std::string HttpRequest::requestText(const std::string& body) {
  answerUnusable_ = false;
  errorText_.clear();
  try {
    return FetchText(body);
  } catch (...) {
    requestState_ = kRequestFailure;
    errorText_ = kUnexpected;
    return {};
  }
}

std::string HttpRequest::FetchText(const std::string& body) {
  std::string result;
  events_.Tick();
  Transfer transfer(InternetControl(), MakeRequest("/"), body, timeouts_, requestState_,
                    errorText_);
  requestState_ = kRequestOk;
  if (!transfer.WaitForAnswer()) {
    transfer.Cancel();
    return {};
  }
  const std::optional<int64_t> announced = ContentLength(transfer.Reply());
  if (announced && *announced > kMaxTextAnswer) {
    requestState_ = kTransportError;
    errorText_ = kTooLong;
    transfer.Cancel();
    return {};
  }
  for (;;) {
    const QByteArray chunk = transfer.NextChunk();
    if (static_cast<int64_t>(result.size() + static_cast<size_t>(chunk.size())) > kMaxTextAnswer) {
      requestState_ = kTransportError;
      errorText_ = kTooLong;
      transfer.Cancel();
      return result;
    }
    result.append(chunk.constData(), static_cast<size_t>(chunk.size()));
    events_.Tick();
    if (requestState_ != kRequestOk) {
      transfer.Cancel();
      return result;
    }
    if (chunk.isEmpty()) return result;
  }
}

std::string HttpRequest::requestData(const std::string& body, const std::string& folder,
                                     const std::string& fileName) {
  answerUnusable_ = false;
  errorText_.clear();
  try {
    FetchData(body, folder, fileName);
  } catch (...) {
    requestState_ = kRequestFailure;
    errorText_ = kUnexpected;
  }
  return {};
}

void HttpRequest::FetchData(const std::string& body, const std::string& folder,
                            const std::string& fileName) {
  events_.Tick();
  Transfer transfer(InternetControl(), MakeRequest(kDownloadPath), body, timeouts_, requestState_,
                    errorText_);
  requestState_ = kRequestOk;
  if (!transfer.WaitForAnswer()) {
    transfer.Cancel();
    return;
  }
  const std::optional<int64_t> length = ContentLength(transfer.Reply());
  if (!length) {
    requestState_ = kRequestFailure;
    errorText_ = "the server sent a length that is not a number";
    answerUnusable_ = true;
    transfer.Cancel();
    return;
  }
  if (*length <= 0) {
    requestState_ = kConnectionClosed;
    errorText_ = "the server sent no file";
    transfer.Cancel();
    return;
  }
  if (*length > kMaxItemBytes) {
    requestState_ = kRequestFailure;
    errorText_ = "the server announced a file of " + std::to_string(*length) +
                 " bytes, more than any board holds";
    answerUnusable_ = true;
    transfer.Cancel();
    return;
  }

  // The item arrives in a file of its own beside its place (never an
  // existing file nor a link planted there), renamed once it is whole.
  fileio::AtomicWriter out(folder + "/" + fileName);
  if (!out.IsOpen()) {
    requestState_ = kRequestFailure;
    errorText_ = kNotWritten;
    transfer.Cancel();
    return;
  }
  int64_t received = 0;
  for (;;) {
    const QByteArray chunk = transfer.NextChunk();
    if (chunk.isEmpty()) break;
    received += chunk.size();
    // Qt takes a chunked answer's own framing over its Content-Length: such
    // a body can go on past the announced length, and without end.
    if (received > *length) {
      requestState_ = kRequestFailure;
      errorText_ =
          "the server sent more than the " + std::to_string(*length) + " bytes it announced";
      answerUnusable_ = true;
      transfer.Cancel();
      break;
    }
    if (OnProgress)
      OnProgress(static_cast<int16_t>(text::RoundHalfEven(received * 100.0 / *length)));
    events_.Tick();
    if (requestState_ != kRequestOk) {
      transfer.Cancel();
      break;
    }
    if (!out.Write(std::string_view(chunk.constData(), size_t(chunk.size())))) {
      requestState_ = kRequestFailure;
      errorText_ = kNotWritten;
      transfer.Cancel();
      break;
    }
  }
  // A body that ended before its announced length was cut off.
  if ((requestState_ == kRequestOk || requestState_ == kConnectionClosed) && received != *length) {
    requestState_ = kConnectionClosed;
    errorText_ = "the connection ended after " + std::to_string(received) + " of " +
                 std::to_string(*length) + " bytes";
  }
  if (requestState_ == kRequestOk && !out.Commit()) {
    requestState_ = kRequestFailure;
    errorText_ = kNotWritten;
  }
  if (requestState_ != kRequestOk) out.Discard();
}

}  // namespace update
