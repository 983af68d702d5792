#pragma once
// Frame, button and clip scripts as authors write them: a preloader, menus
// built in a loop, string formatting, objects and arrays, a game loop, easing,
// loading data, a quiz. The compiler benchmark compiles them one by one, the
// way a movie build meets them, and also joined into one large script.
#include <string_view>

namespace tesmiro::bench {

inline constexpr std::string_view kFrameScripts[] = {
    // 1. preloader on frame 1
    R"as(stop();
var total = _root.getBytesTotal();
var loaded = _root.getBytesLoaded();
var percent = Math.round(loaded / total * 100);
loadBar._xscale = percent;
loadText.text = "Loading " + percent + "% (" + Math.round(loaded / 1024) + " KB of " + Math.round(total / 1024) + " KB)";
if (loaded >= total && total > 4) {
  loadBar._visible = false;
  gotoAndPlay("intro");
} else {
  gotoAndPlay(1);
}
)as",
    // 2. menu built in a loop, with handlers
    R"as(var items = ["Home", "Gallery", "Profile", "Links", "Contact"];
var pages = ["home", "gallery", "profile", "links", "contact"];
var startX = 20;
var gap = 8;
for (var i = 0; i < items.length; i++) {
  var btn = _root.menu.attachMovie("menuButton", "btn" + i, i + 1);
  btn._x = startX;
  btn._y = 12;
  btn.label.text = items[i];
  btn.page = pages[i];
  btn.index = i;
  startX += btn._width + gap;
  btn.onRollOver = function() {
    this.gotoAndStop("over");
    _root.status.text = "Go to " + this.label.text;
  };
  btn.onRollOut = function() {
    this.gotoAndStop("up");
    _root.status.text = "";
  };
  btn.onRelease = function() {
    _root.current = this.index;
    for (var j = 0; j < items.length; j++) {
      _root.menu["btn" + j].enabled = j != this.index;
    }
    _root.content.gotoAndStop(this.page);
  };
}
stop();
)as",
    // 3. string formatting helpers
    R"as(function pad(n, width) {
  var s = String(n);
  while (s.length < width) {
    s = "0" + s;
  }
  return s;
}
function formatTime(ms) {
  var totalSeconds = Math.floor(ms / 1000);
  var minutes = Math.floor(totalSeconds / 60);
  var seconds = totalSeconds % 60;
  var tenths = Math.floor(ms % 1000 / 100);
  return pad(minutes, 2) + ":" + pad(seconds, 2) + "." + tenths;
}
function formatMoney(value) {
  var whole = Math.floor(value);
  var cents = Math.round((value - whole) * 100);
  var text = "";
  var digits = String(whole);
  var count = 0;
  for (var i = digits.length - 1; i >= 0; i--) {
    text = digits.charAt(i) + text;
    count++;
    if (count % 3 == 0 && i > 0) text = "," + text;
  }
  return "$" + text + "." + pad(cents, 2);
}
function trimText(s) {
  var start = 0;
  var end = s.length;
  while (start < end && (s.charAt(start) == " " || s.charAt(start) == "\t")) start++;
  while (end > start && (s.charAt(end - 1) == " " || s.charAt(end - 1) == "\t")) end--;
  return s.substring(start, end);
}
clock.text = formatTime(getTimer() - startTime);
price.text = formatMoney(1234.5);
)as",
    // 4. objects and arrays: an inventory with sorting and a report
    R"as(var inventory = [];
function addItem(name, price, count, tags) {
  var item = {name: name, price: price, count: count, tags: tags, added: getTimer()};
  inventory.push(item);
  return item;
}
addItem("apple", 120, 10, ["fruit", "red"]);
addItem("bread", 250, 3, ["bakery"]);
addItem("milk", 180, 6, ["dairy", "cold"]);
addItem("cheese", 640, 2, ["dairy"]);
addItem("banana", 90, 12, ["fruit", "yellow"]);
function byPrice(a, b) {
  if (a.price < b.price) return -1;
  if (a.price > b.price) return 1;
  return 0;
}
inventory.sort(byPrice);
var report = "";
var sum = 0;
for (var i = 0; i < inventory.length; i++) {
  var it = inventory[i];
  var line = it.name + " x" + it.count + " = " + it.price * it.count;
  if (it.tags.length > 0) line += " [" + it.tags.join(", ") + "]";
  report += line + newline;
  sum += it.price * it.count;
}
var counts = {};
for (var k = 0; k < inventory.length; k++) {
  for (var t = 0; t < inventory[k].tags.length; t++) {
    var tag = inventory[k].tags[t];
    if (counts[tag] == undefined) counts[tag] = 0;
    counts[tag] += 1;
  }
}
for (var name in counts) {
  report += name + ": " + counts[name] + newline;
}
reportField.text = report + "total: " + sum;
)as",
    // 5. game loop on a clip
    R"as(var speed = 6;
var score = 0;
var lives = 3;
var enemies = [];
for (var i = 0; i < 8; i++) {
  var e = _root.attachMovie("enemy", "enemy" + i, 100 + i);
  e._x = random(Stage.width);
  e._y = -random(400);
  e.vy = 2 + random(4);
  enemies.push(e);
}
ship.onEnterFrame = function() {
  if (Key.isDown(Key.LEFT) && this._x > 20) this._x -= speed;
  if (Key.isDown(Key.RIGHT) && this._x < Stage.width - 20) this._x += speed;
  for (var j = 0; j < enemies.length; j++) {
    var en = enemies[j];
    en._y += en.vy;
    if (en._y > Stage.height + 20) {
      en._y = -20;
      en._x = random(Stage.width);
      score += 10;
    }
    if (this.hitTest(en)) {
      lives--;
      en._y = -50;
      if (lives <= 0) {
        delete this.onEnterFrame;
        _root.gotoAndStop("gameover");
      }
    }
  }
  _root.scoreText.text = "Score: " + score + "  Lives: " + lives;
};
)as",
    // 6. easing and intervals
    R"as(function easeOutQuad(t, b, c, d) {
  t /= d;
  return -c * t * (t - 2) + b;
}
function easeInOutSine(t, b, c, d) {
  return -c / 2 * (Math.cos(Math.PI * t / d) - 1) + b;
}
function slideTo(mc, tx, ty, frames) {
  mc.sx = mc._x;
  mc.sy = mc._y;
  mc.dx = tx - mc._x;
  mc.dy = ty - mc._y;
  mc.t = 0;
  mc.frames = frames;
  mc.onEnterFrame = function() {
    this.t++;
    this._x = easeOutQuad(this.t, this.sx, this.dx, this.frames);
    this._y = easeInOutSine(this.t, this.sy, this.dy, this.frames);
    this._alpha = 100 * this.t / this.frames;
    if (this.t >= this.frames) {
      this._x = this.sx + this.dx;
      this._y = this.sy + this.dy;
      delete this.onEnterFrame;
      if (typeof this.onArrive == "function") this.onArrive();
    }
  };
}
var angle = 0;
var spinner = setInterval(function() {
  angle = (angle + 15) % 360;
  logo._rotation = angle;
  logo._xscale = logo._yscale = 100 + 10 * Math.sin(angle * Math.PI / 180);
}, 40);
slideTo(panel, 200, 120, 24);
panel.onArrive = function() {
  clearInterval(spinner);
  gotoAndPlay("ready");
};
)as",
    // 7. loading variables and building a list
    R"as(var lv = new LoadVars();
lv.onLoad = function(success) {
  if (!success) {
    message.text = "Could not load the news.";
    return;
  }
  var count = Number(this.count);
  var html = "";
  for (var i = 1; i <= count; i++) {
    var title = this["title" + i];
    var date = this["date" + i];
    var link = this["link" + i];
    html += "<p><b>" + date + "</b> <a href=\"" + link + "\">" + title + "</a></p>";
  }
  news.htmlText = html;
  message.text = count + " items";
};
lv.load("news.txt?nocache=" + getTimer());
message.text = "Loading...";
)as",
    // 8. quiz with a switch and a score table
    R"as(var questions = [
  {q: "2 + 3 = ?", answers: ["4", "5", "6"], correct: 1},
  {q: "Capital of France?", answers: ["Paris", "Rome", "Madrid"], correct: 0},
  {q: "Largest planet?", answers: ["Mars", "Earth", "Jupiter"], correct: 2}
];
var current = 0;
var right = 0;
function showQuestion() {
  var item = questions[current];
  question.text = (current + 1) + ". " + item.q;
  for (var i = 0; i < 3; i++) {
    var b = this["answer" + i];
    b.label.text = item.answers[i];
    b.choice = i;
    b.onRelease = checkAnswer;
  }
}
function checkAnswer() {
  var ok = this.choice == questions[current].correct;
  if (ok) right++;
  feedback.text = ok ? "Right!" : "Wrong, it was " + questions[current].answers[questions[current].correct];
  current++;
  if (current < questions.length) {
    showQuestion();
    return;
  }
  var grade;
  switch (right) {
    case 3:
      grade = "excellent";
      break;
    case 2:
      grade = "good";
      break;
    case 1:
      grade = "try again";
      break;
    default:
      grade = "keep studying";
  }
  result.text = "You got " + right + " of " + questions.length + ": " + grade;
  gotoAndStop("result");
}
showQuestion();
stop();
)as",
    // 9. button script body: navigation with shared state
    R"as(_root.visited[_root.page] = true;
_root.history.push(_root.page);
_root.page = "gallery";
_root.content.gotoAndStop("gallery");
_root.backButton._visible = _root.history.length > 0;
with (_root.title) {
  text = "Gallery";
  _alpha = 100;
}
)as",
    // 10. clip script body: drag with bounds and a date display
    R"as(this.onPress = function() {
  this.startDrag(false, 0, 0, Stage.width - this._width, Stage.height - this._height);
  this.dragging = true;
  this.swapDepths(1000);
};
this.onRelease = this.onReleaseOutside = function() {
  this.stopDrag();
  this.dragging = false;
  var slot = Math.round(this._x / 50);
  this._x = slot * 50;
  _root.positions[this._name] = slot;
};
var now = new Date();
var days = ["Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"];
var stamp = days[now.getDay()] + " " + now.getFullYear() + "/" + (now.getMonth() + 1) + "/" + now.getDate();
stamp += " " + now.getHours() + ":" + (now.getMinutes() < 10 ? "0" : "") + now.getMinutes();
dateText.text = stamp;
)as",
    // 11. a grid of thumbnails with a character counter
    R"as(var cols = 4;
var rows = 3;
var cellW = 80;
var cellH = 60;
var n = 0;
for (var r = 0; r < rows; r++) {
  for (var c = 0; c < cols; c++) {
    var thumb = gallery.createEmptyMovieClip("thumb" + n, n);
    thumb._x = c * (cellW + 4);
    thumb._y = r * (cellH + 4);
    thumb.loadMovie("images/thumb" + (n < 10 ? "0" + n : n) + ".jpg");
    thumb.id = n;
    n++;
  }
}
function countWords(s) {
  var words = 0;
  var inWord = false;
  for (var i = 0; i < s.length; i++) {
    var ch = s.charAt(i);
    var blank = ch == " " || ch == "\n" || ch == "\r" || ch == "\t";
    if (!blank && !inWord) words++;
    inWord = !blank;
  }
  return words;
}
input.onChanged = function(field) {
  var left = 140 - field.text.length;
  counter.text = left + " characters left, " + countWords(field.text) + " words";
  counter.textColor = left < 0 ? 0xCC0000 : 0x333333;
};
)as",
    // 12. a classic timeline script with properties and tellTarget
    R"as(if (_root.visits == undefined) {
  _root.visits = 0;
}
_root.visits++;
tellTarget ("/door") {
  gotoAndPlay("open");
}
setProperty("/lamp", _alpha, 50 + _root.visits * 10);
var i = 0;
do {
  duplicateMovieClip("/star", "star" + i, i + 10);
  setProperty("/star" + i, _x, random(300));
  setProperty("/star" + i, _y, random(200));
  i++;
} while (i < 12);
if (_root.visits > 3 && _root.visits % 2 == 0) {
  greeting = "Welcome back, visit number " + _root.visits;
} else {
  greeting = "Hello";
}
)as",
};

}  // namespace tesmiro::bench
