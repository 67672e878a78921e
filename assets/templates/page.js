// The runtime every built-in page shares: configuration, messages in the
// reader's language, signed calls to the browser API and the pop-up rule.
// Pages are served in place of arbitrary sites, often over plain HTTP where
// crypto.subtle does not exist, so the signature's SHA-256 is computed here.
var ovPage = (function () {
  'use strict';

  var MESSAGES = JSON.parse(document.getElementById('ov-messages').textContent);
  var RTL_LOCALES = ['ar', 'fa'];

  // The defaults of the page, replaced member by member by the configuration
  // the core rendered into the page. An unrendered template (the marker still
  // in place) does not parse: the page then runs on its defaults.
  function configure(defaults, parse) {
    var config = Object.assign({}, defaults);
    var given = null;
    try {
      given = parse();
    } catch (e) {
      given = null;
    }
    if (given && typeof given === 'object') {
      Object.keys(given).forEach(function (name) {
        config[name] = given[name];
      });
    }
    return config;
  }

  // The full tag first ("pt-br"), then its language ("pt"), then English.
  function pickLocale(locale) {
    var tag = String(locale || '').toLowerCase().replace(/_/g, '-');
    if (Object.prototype.hasOwnProperty.call(MESSAGES, tag)) {
      return tag;
    }
    var language = tag.slice(0, 2);
    return Object.prototype.hasOwnProperty.call(MESSAGES, language) ? language : 'en';
  }

  function hostOf(url) {
    try {
      return new URL(url).hostname;
    } catch (e) {
      return '';
    }
  }

  function makeTranslator(config) {
    var locale = pickLocale(config.locale);
    var dictionary = MESSAGES[locale];
    var pageUrl = String(config.pageUrl || config.requestUrl || config.url || '');
    var host = String(config.host || config.domain || hostOf(pageUrl));
    var translate = function (key) {
      var text = dictionary[key] || MESSAGES.en[key] || '';
      return text.split('(var.Host)').join(host).split('(var.PageUrl)').join(pageUrl);
    };
    translate.locale = locale;
    return translate;
  }

  // Fills every element that names a message; texts go in as text, never as
  // markup, since the variables come from the blocked site's address.
  function localise(config) {
    var t = makeTranslator(config);
    document.documentElement.lang = t.locale;
    document.documentElement.dir = RTL_LOCALES.indexOf(t.locale) >= 0 ? 'rtl' : 'ltr';
    document.querySelectorAll('[data-key]').forEach(function (element) {
      element.textContent = t(element.getAttribute('data-key'));
    });
    document.querySelectorAll('[data-key-placeholder]').forEach(function (element) {
      element.setAttribute('placeholder', t(element.getAttribute('data-key-placeholder')));
    });
    return t;
  }

  var K = [
    0x428a2f98, 0x71374491, 0xb5c0fbcf, 0xe9b5dba5, 0x3956c25b, 0x59f111f1, 0x923f82a4, 0xab1c5ed5,
    0xd807aa98, 0x12835b01, 0x243185be, 0x550c7dc3, 0x72be5d74, 0x80deb1fe, 0x9bdc06a7, 0xc19bf174,
    0xe49b69c1, 0xefbe4786, 0x0fc19dc6, 0x240ca1cc, 0x2de92c6f, 0x4a7484aa, 0x5cb0a9dc, 0x76f988da,
    0x983e5152, 0xa831c66d, 0xb00327c8, 0xbf597fc7, 0xc6e00bf3, 0xd5a79147, 0x06ca6351, 0x14292967,
    0x27b70a85, 0x2e1b2138, 0x4d2c6dfc, 0x53380d13, 0x650a7354, 0x766a0abb, 0x81c2c92e, 0x92722c85,
    0xa2bfe8a1, 0xa81a664b, 0xc24b8b70, 0xc76c51a3, 0xd192e819, 0xd6990624, 0xf40e3585, 0x106aa070,
    0x19a4c116, 0x1e376c08, 0x2748774c, 0x34b0bcb5, 0x391c0cb3, 0x4ed8aa4a, 0x5b9cca4f, 0x682e6ff3,
    0x748f82ee, 0x78a5636f, 0x84c87814, 0x8cc70208, 0x90befffa, 0xa4506ceb, 0xbef9a3f7, 0xc67178f2,
  ];

  function rotr(x, n) {
    return (x >>> n) | (x << (32 - n));
  }

  // SHA-256 (FIPS 180-4) of the UTF-8 bytes of `text`, as lowercase hex.
  function sha256Hex(text) {
    var bytes = new TextEncoder().encode(text);
    var blocks = Math.ceil((bytes.length + 9) / 64);
    var padded = new Uint8Array(blocks * 64);
    padded.set(bytes);
    padded[bytes.length] = 0x80;
    var view = new DataView(padded.buffer);
    view.setUint32(padded.length - 8, Math.floor(bytes.length / 0x20000000));
    view.setUint32(padded.length - 4, (bytes.length * 8) >>> 0);
    var h = [0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a,
             0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19];
    var w = new Array(64);
    for (var block = 0; block < blocks; block++) {
      for (var i = 0; i < 64; i++) {
        if (i < 16) {
          w[i] = view.getUint32(block * 64 + i * 4);
        } else {
          var s0 = rotr(w[i - 15], 7) ^ rotr(w[i - 15], 18) ^ (w[i - 15] >>> 3);
          var s1 = rotr(w[i - 2], 17) ^ rotr(w[i - 2], 19) ^ (w[i - 2] >>> 10);
          w[i] = (w[i - 16] + s0 + w[i - 7] + s1) | 0;
        }
      }
      var a = h[0], b = h[1], c = h[2], d = h[3], e = h[4], f = h[5], g = h[6], k = h[7];
      for (var j = 0; j < 64; j++) {
        var t1 = (k + (rotr(e, 6) ^ rotr(e, 11) ^ rotr(e, 25)) + ((e & f) ^ (~e & g)) + K[j] + w[j]) | 0;
        var t2 = ((rotr(a, 2) ^ rotr(a, 13) ^ rotr(a, 22)) + ((a & b) ^ (a & c) ^ (b & c))) | 0;
        k = g;
        g = f;
        f = e;
        e = (d + t1) | 0;
        d = c;
        c = b;
        b = a;
        a = (t1 + t2) | 0;
      }
      h = [h[0] + a, h[1] + b, h[2] + c, h[3] + d, h[4] + e, h[5] + f, h[6] + g, h[7] + k].map(
        function (x) {
          return x | 0;
        });
    }
    return h.map(function (x) {
      return ('00000000' + (x >>> 0).toString(16)).slice(-8);
    }).join('');
  }

  // The members the browser API signs, in the order it concatenates them.
  var SIGNED_MEMBERS = ['type', 'unique_name', 'variable_key', 'variable_value', 'url'];

  function signature(members, config) {
    var text = String(config.leftToken || '');
    SIGNED_MEMBERS.forEach(function (name) {
      if (members[name] !== undefined && members[name] !== null) {
        text += String(members[name]);
      }
    });
    return sha256Hex(text + String(config.rightToken || ''));
  }

  // Attribute names of a Set-Cookie line (RFC 6265bis).
  var COOKIE_ATTRIBUTES = ['domain', 'path', 'expires', 'max-age', 'secure', 'samesite', 'partitioned'];

  // The core hands its cookies over in a header the page can read (pages may
  // not see Set-Cookie); each ';'-separated part becomes a document cookie.
  // A part that is a cookie attribute ("Domain=.example.org", "Path=/")
  // stays with the cookie before it: set alone it would be a cookie named
  // "Path", and the cookie would lose its scope.
  function adoptCookies(response) {
    var header = response.headers.get('X-Set-Cookie');
    var cookies = [];
    (header || '').split(';').forEach(function (part) {
      var text = part.trim();
      var name = text.split('=')[0].trim().toLowerCase();
      if (!text) {
        return;
      }
      if (cookies.length && COOKIE_ATTRIBUTES.indexOf(name) >= 0) {
        cookies[cookies.length - 1] += '; ' + text;
      } else {
        cookies.push(text);
      }
    });
    cookies.forEach(function (cookie) {
      document.cookie = cookie;
    });
  }

  // Sends `members` signed to the browser API under `apiHost`; resolves with
  // the answer's text, rejects on a network failure or an error status.
  function call(config, apiHost, members, withCredentials) {
    var query = new URLSearchParams();
    Object.keys(members).forEach(function (name) {
      query.append(name, String(members[name]));
    });
    query.append('sn', signature(members, config));
    var url = location.protocol + '//' + apiHost + '?' + query.toString();
    return fetch(url, { credentials: withCredentials ? 'include' : 'same-origin' })
      .then(function (response) {
        adoptCookies(response);
        if (!response.ok) {
          throw new Error('browser api answered ' + response.status);
        }
        return response.text();
      });
  }

  // A blocked page opened as a pop-up would only leave an empty window in
  // front of the site that opened it.
  function closeIfPopup(config) {
    if (config.blockPopups !== true || !window.opener || window.opener === window) {
      return false;
    }
    try {
      window.opener.focus();
    } catch (e) {
      // A cross-origin opener may refuse; closing still matters more.
    }
    window.close();
    return true;
  }

  function show(element, visible) {
    element.hidden = !visible;
  }

  function goBack() {
    if (history.length > 1) {
      history.back();
    } else {
      window.close();
    }
  }

  // Configures and localises the page; `closing` tells the page's own
  // script that the pop-up rule is closing the window.
  function start(defaults, parse) {
    var config = configure(defaults, parse);
    var t = localise(config);
    var closing = closeIfPopup(config);
    var back = document.getElementById('go-back');
    if (back) {
      back.addEventListener('click', goBack);
    }
    return { config: config, t: t, closing: closing };
  }

  return {
    start: start,
    call: call,
    show: show,
    sha256Hex: sha256Hex,
    signature: signature,
  };
})();
