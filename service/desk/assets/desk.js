// The order desk's only script (the pages allow no inline script).
// Inbox: asks once a second whether its lists changed and swaps them in, so
// a new order shows without a reload; the focused order keeps the focus.
// Polling, not server-sent events: each look is one short request that a
// worker answers at once, and a new order saved through any instance is seen,
// since the lists come from the database.
// Print view: the print button prints.
(function () {
  'use strict';
  var inbox = document.getElementById('inbox');
  if (inbox) {
    var poll = function () {
      var page = inbox.getAttribute('data-page') || '0';
      var url = '/inbox/lists?page=' + encodeURIComponent(page) +
        '&seen=' + encodeURIComponent(inbox.getAttribute('data-version') || '');
      fetch(url, { credentials: 'same-origin', cache: 'no-store' })
        .then(function (reply) {
          if (reply.status === 401) {
            window.location.assign('/login');
            return null;
          }
          return reply.status === 200 ? reply.text() : null;
        })
        .then(function (html) {
          if (html) swap(html);
        })
        .catch(function () {})
        .then(function () {
          window.setTimeout(poll, 1000);
        });
    };
    var arrived = {};
    var codes = function (section) {
      var seen = {};
      section.querySelectorAll('a[data-code]').forEach(function (a) {
        seen[a.getAttribute('data-code')] = true;
      });
      return seen;
    };
    var swap = function (html) {
      var focused = document.activeElement;
      var code = focused && inbox.contains(focused) ? focused.getAttribute('data-code') : null;
      var holder = document.createElement('template');
      holder.innerHTML = html;
      var fresh = holder.content.firstElementChild;
      if (!fresh || fresh.id !== 'inbox') return;
      // Orders that came since the page was drawn stand out until it is drawn again.
      var before = codes(inbox);
      fresh.querySelectorAll('a[data-code]').forEach(function (a) {
        var c = a.getAttribute('data-code');
        if (!before[c]) arrived[c] = true;
        if (arrived[c]) a.closest('tr').classList.add('arrived');
      });
      inbox.replaceWith(fresh);
      inbox = fresh;
      document.title = fresh.getAttribute('data-title');
      if (code) {
        var links = fresh.querySelectorAll('a[data-code]');
        for (var i = 0; i < links.length; i++) {
          if (links[i].getAttribute('data-code') === code) {
            links[i].focus();
            break;
          }
        }
      }
    };
    window.setTimeout(poll, 1000);
  }
  var print = document.getElementById('print');
  if (print) {
    print.addEventListener('click', function () {
      window.print();
    });
  }
})();
