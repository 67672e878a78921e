/*! ovcore stealth script 1.0.0 */
(function () {
  'use strict';

  // Filled in by the core from the page's stealth options: strings or null,
  // booleans, and the first-party cookie lifetime cap in seconds or null.
  var config = {
    userAgent: $_userAgent_,
    blockWebRtc: $_blockWebRtc_,
    blockPush: $_blockPush_,
    blockLocation: $_blockLocation_,
    blockFlash: $_blockFlash_,
    blockJava: $_blockJava_,
    referrer: $_referrer_,
    // The stealth script changes APIs in place and injects no element, so
    // it has no use for the page nonce.
    nonce: $_nonce_,
    cookieTtl: $_cookieTtl_,
    doNotTrack: $_doNotTrack_
  };

  var cookieTtl = typeof config.cookieTtl === 'number' && isFinite(config.cookieTtl) && config.cookieTtl > 0
    ? Math.floor(config.cookieTtl) : 0;

  var active = Boolean(config.userAgent || config.referrer !== null || config.blockWebRtc || config.blockPush ||
    config.blockLocation || config.blockFlash || config.blockJava || config.doNotTrack || cookieTtl);
  if (!active) return;

  // Replacements wrap the original functions in proxies, so that they keep
  // their names, lengths and native-looking source text.
  function wrap(original, handler) {
    return new Proxy(original, { apply: handler });
  }

  function redefineGetter(proto, name, compute) {
    var descriptor = proto && Object.getOwnPropertyDescriptor(proto, name);
    if (!descriptor || !descriptor.get) return;
    descriptor.get = wrap(descriptor.get, function (getter, self) {
      return compute.call(self, function () { return Reflect.apply(getter, self, []); });
    });
    Object.defineProperty(proto, name, descriptor);
  }

  function redefineMethod(owner, name, replacement) {
    var original = owner && owner[name];
    if (typeof original !== 'function') return;
    var descriptor = Object.getOwnPropertyDescriptor(owner, name) || { writable: true, configurable: true };
    descriptor.value = wrap(original, function (target, self, args) {
      return replacement.call(self, args, function () { return Reflect.apply(target, self, args); });
    });
    Object.defineProperty(owner, name, descriptor);
  }

  function constant(value) {
    return function () { return value; };
  }

  function denied(win, message) {
    return new win.DOMException(message, 'NotAllowedError');
  }

  // -----------------------------------------------------------------------
  // User agent.

  function platformOf(ua) {
    if (/Windows/.test(ua)) return 'Win32';
    if (/iPhone/.test(ua)) return 'iPhone';
    if (/iPad/.test(ua)) return 'iPad';
    if (/Macintosh|Mac OS X/.test(ua)) return 'MacIntel';
    if (/Android/.test(ua)) return 'Linux armv8l';
    if (/CrOS|Linux/.test(ua)) return /i686|i386/.test(ua) ? 'Linux i686' : 'Linux x86_64';
    return null;
  }

  function vendorOf(ua) {
    if (/Firefox\//.test(ua)) return '';
    if (/Chrome\/|CriOS\//.test(ua)) return 'Google Inc.';
    if (/Safari\//.test(ua)) return 'Apple Computer, Inc.';
    return null;
  }

  function overrideUserAgent(win) {
    var ua = config.userAgent;
    var proto = win.Navigator.prototype;
    redefineGetter(proto, 'userAgent', constant(ua));
    redefineGetter(proto, 'appVersion', constant(ua.replace(/^Mozilla\//, '')));
    var platform = platformOf(ua);
    if (platform !== null) redefineGetter(proto, 'platform', constant(platform));
    var vendor = vendorOf(ua);
    if (vendor !== null) redefineGetter(proto, 'vendor', constant(vendor));
    // Client hints would still tell the real browser; pages read their
    // absence as an older browser and fall back to the user agent string.
    redefineGetter(proto, 'userAgentData', constant(undefined));
  }

  // -----------------------------------------------------------------------
  // WebRTC, push and notifications, geolocation.

  function blockWebRtc(win) {
    ['RTCPeerConnection', 'webkitRTCPeerConnection', 'mozRTCPeerConnection'].forEach(function (name) {
      var original = win[name];
      if (typeof original !== 'function') return;
      var blocked = new Proxy(original, {
        construct: function () { throw denied(win, 'Peer connections are not allowed on this page.'); }
      });
      Object.defineProperty(win, name, { value: blocked, writable: true, configurable: true, enumerable: false });
    });
  }

  // permissions.query answers "denied" for the blocked permissions, on the
  // browser's own PermissionStatus object.
  function denyPermissions(win, names) {
    var permissions = win.Permissions && win.Permissions.prototype;
    redefineMethod(permissions, 'query', function (args, call) {
      var descriptor = args[0];
      return call().then(function (status) {
        if (descriptor && names.indexOf(descriptor.name) >= 0) {
          Object.defineProperty(status, 'state', { value: 'denied', configurable: true });
          Object.defineProperty(status, 'status', { value: 'denied', configurable: true });
        }
        return status;
      });
    });
  }

  function blockPush(win) {
    var push = win.PushManager && win.PushManager.prototype;
    redefineMethod(push, 'subscribe', function () {
      return win.Promise.reject(denied(win, 'Registration failed - permission denied'));
    });
    redefineMethod(push, 'permissionState', function () { return win.Promise.resolve('denied'); });
    var notification = win.Notification;
    if (notification) {
      redefineGetter(notification, 'permission', constant('denied'));
      redefineMethod(notification, 'requestPermission', function (args) {
        if (typeof args[0] === 'function') win.setTimeout(args[0], 0, 'denied');
        return win.Promise.resolve('denied');
      });
    }
  }

  function positionError(win) {
    var proto = win.GeolocationPositionError ? win.GeolocationPositionError.prototype : Object.prototype;
    return Object.create(proto, {
      code: { value: 1, enumerable: true },
      message: { value: 'User denied Geolocation', enumerable: true },
      PERMISSION_DENIED: { value: 1 },
      POSITION_UNAVAILABLE: { value: 2 },
      TIMEOUT: { value: 3 }
    });
  }

  function blockLocation(win) {
    var proto = win.Geolocation && win.Geolocation.prototype;
    var watchId = 0;
    function refuse(args) {
      var onError = args[1];
      if (typeof onError === 'function') win.setTimeout(function () { onError(positionError(win)); }, 0);
    }
    redefineMethod(proto, 'getCurrentPosition', function (args) {
      refuse(args);
    });
    redefineMethod(proto, 'watchPosition', function (args) {
      refuse(args);
      return ++watchId;
    });
    redefineMethod(proto, 'clearWatch', function () {});
  }

  // -----------------------------------------------------------------------
  // Plugins and MIME types.

  function pluginHidden(plugin) {
    var name = String(plugin && plugin.name);
    return (config.blockFlash && /flash/i.test(name)) || (config.blockJava && /java/i.test(name));
  }

  function mimeHidden(mime) {
    var type = String(mime && mime.type);
    return (config.blockFlash && /shockwave-flash|futuresplash/i.test(type)) ||
      (config.blockJava && /java/i.test(type)) || pluginHidden(mime && mime.enabledPlugin);
  }

  // A PluginArray or MimeTypeArray look-alike holding the kept entries of
  // `source`, named by `key` ("name" or "type").
  function filteredList(win, source, proto, hidden, key) {
    var kept = [];
    for (var i = 0; i < source.length; i++) {
      if (!hidden(source[i])) kept.push(source[i]);
    }
    var list = Object.create(proto);
    var own = {
      length: { value: kept.length },
      item: { value: function (index) { return kept[index >>> 0] || null; } },
      namedItem: {
        value: function (name) {
          return kept.filter(function (entry) { return entry[key] === String(name); })[0] || null;
        }
      },
      refresh: { value: function () {} }
    };
    own[win.Symbol.iterator] = { value: function () { return kept[win.Symbol.iterator](); } };
    kept.forEach(function (entry, index) {
      own[index] = { value: entry, enumerable: true };
      if (entry[key] && !(entry[key] in own)) own[entry[key]] = { value: entry };
    });
    Object.defineProperties(list, own);
    return list;
  }

  function hidePlugins(win) {
    var proto = win.Navigator.prototype;
    var views = new WeakMap();
    function filtered(getOriginal, listProto, hidden, key) {
      var source = getOriginal();
      if (!source || typeof source !== 'object') return source;
      var view = views.get(source);
      if (!view || view.length !== source.length) {
        view = { length: source.length, list: filteredList(win, source, listProto, hidden, key) };
        views.set(source, view);
      }
      return view.list;
    }
    redefineGetter(proto, 'plugins', function (getOriginal) {
      return filtered(getOriginal, win.PluginArray ? win.PluginArray.prototype : Object.prototype, pluginHidden, 'name');
    });
    redefineGetter(proto, 'mimeTypes', function (getOriginal) {
      return filtered(getOriginal, win.MimeTypeArray ? win.MimeTypeArray.prototype : Object.prototype, mimeHidden, 'type');
    });
    if (config.blockJava) redefineMethod(proto, 'javaEnabled', constant(false));
  }

  // -----------------------------------------------------------------------
  // First-party cookie lifetime.

  function siteOf(host) {
    if (/^[\d.]+$|:/.test(host)) return host;
    var labels = host.split('.');
    // Two-letter country domains often register under a short second
    // level ("co.uk", "com.au"); without the suffix list this is the
    // closest cheap guess.
    var keep = labels.length > 2 && labels[labels.length - 1].length === 2 &&
      labels[labels.length - 2].length <= 3 ? 3 : 2;
    return labels.slice(-keep).join('.');
  }

  function topHost(win) {
    try {
      return win.top.location.hostname;
    } catch (e) {
      var ancestors = win.location.ancestorOrigins;
      if (ancestors && ancestors.length) return new win.URL(ancestors[ancestors.length - 1]).hostname;
      return null;
    }
  }

  function firstParty(win) {
    var top = topHost(win);
    return top !== null && siteOf(top) === siteOf(win.location.hostname);
  }

  // Returns the cookie text with its lifetime capped, or the text as it was
  // when it is a session cookie, a deletion or short enough.
  function capCookie(text) {
    var parts = String(text).split(';');
    var maxAge = null;
    var expires = null;
    var rest = [parts[0]];
    for (var k = 1; k < parts.length; k++) {
      var pair = parts[k].split('=');
      var name = pair[0].trim().toLowerCase();
      var value = pair.slice(1).join('=').trim();
      if (name === 'max-age') maxAge = /^-?\d+$/.test(value) ? parseInt(value, 10) : maxAge;
      else if (name === 'expires') expires = Date.parse(value);
      else rest.push(parts[k]);
    }
    var now = Date.now();
    var lifetime = maxAge !== null ? maxAge : (expires !== null && !isNaN(expires) ? (expires - now) / 1000 : null);
    if (lifetime === null || lifetime <= 0 || lifetime <= cookieTtl) return text;
    rest.push(' max-age=' + cookieTtl, ' expires=' + new Date(now + cookieTtl * 1000).toUTCString());
    return rest.join(';');
  }

  function capCookies(win) {
    var proto = win.Document.prototype;
    var descriptor = Object.getOwnPropertyDescriptor(proto, 'cookie');
    if (!descriptor || !descriptor.set) return;
    descriptor.set = wrap(descriptor.set, function (setter, self, args) {
      var text = args[0];
      return Reflect.apply(setter, self, [firstParty(win) ? capCookie(text) : text]);
    });
    Object.defineProperty(proto, 'cookie', descriptor);
    var store = win.CookieStore && win.CookieStore.prototype;
    redefineMethod(store, 'set', function (args, call) {
      var options = args[0];
      var limit = Date.now() + cookieTtl * 1000;
      if (options && typeof options === 'object' && typeof options.expires === 'number' &&
          options.expires > limit && firstParty(win)) {
        args[0] = Object.assign({}, options, { expires: limit });
      }
      return call();
    });
  }

  // -----------------------------------------------------------------------
  // Applying to this window and to the same-origin frames it opens.

  var covered = new WeakSet();

  function blockedPermissions() {
    return (config.blockPush ? ['notifications', 'push'] : []).concat(config.blockLocation ? ['geolocation'] : []);
  }

  // The options in force, each a function of the window to change.
  var steps = [];
  if (config.userAgent) steps.push(overrideUserAgent);
  if (config.referrer !== null) {
    steps.push(function (win) { redefineGetter(win.Document.prototype, 'referrer', constant(config.referrer)); });
  }
  if (config.blockWebRtc) steps.push(blockWebRtc);
  if (config.blockPush) steps.push(blockPush);
  if (config.blockLocation) steps.push(blockLocation);
  if (config.blockPush || config.blockLocation) {
    steps.push(function (win) { denyPermissions(win, blockedPermissions()); });
  }
  if (config.blockFlash || config.blockJava) steps.push(hidePlugins);
  if (config.doNotTrack) {
    steps.push(function (win) { redefineGetter(win.Navigator.prototype, 'doNotTrack', constant('1')); });
  }
  if (cookieTtl) steps.push(capCookies);
  steps.push(coverFrames);

  function apply(win) {
    if (covered.has(win)) return;
    covered.add(win);
    steps.forEach(function (step) {
      try {
        step(win);
      } catch (e) {
        // An API missing in this browser leaves the other options in force.
      }
    });
  }

  // A same-origin frame (about:blank, srcdoc) gets a fresh set of the APIs
  // above; it is covered the first time the page reaches into it.
  function coverFrames(win) {
    var proto = win.HTMLIFrameElement && win.HTMLIFrameElement.prototype;
    function covering(read) {
      return function (getOriginal) {
        var value = getOriginal();
        var frameWindow = read(value);
        try {
          if (frameWindow && frameWindow.Navigator) apply(frameWindow);
        } catch (e) {
          // Cross-origin frames are out of reach and need no cover here.
        }
        return value;
      };
    }
    redefineGetter(proto, 'contentWindow', covering(function (w) { return w; }));
    redefineGetter(proto, 'contentDocument', covering(function (d) { return d && d.defaultView; }));
  }

  apply(window);
})();
