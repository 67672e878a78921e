// Stands in for Google Analytics' analytics.js and for Google Tag Manager's
// gtm.js. Nothing is sent; what pages wait for still happens:
// - ga(): commands queued on the command queue (ga.q) and later calls run;
//   a hitCallback given to a "send" command is called, and functions given to
//   ga() are called with the default tracker (ready callbacks).
// - dataLayer: an eventCallback in a pushed object, and the event_callback of
//   a gtag('event', ...) call, are called.
(function() {
    'use strict';

    // Runs a callback of the page; its error surfaces in a task of its own
    // instead of stopping this script.
    var run = function(callback, self, args) {
        try {
            return callback.apply(self, args || []);
        } catch (error) {
            setTimeout(function() {
                throw error;
            }, 0);
        }
    };

    // --- analytics.js ---

    // The hit's field object is the last argument of "send", if it is one.
    var hitCallbackOf = function(args) {
        var fields = args[args.length - 1];
        return fields && typeof fields === 'object' && typeof fields.hitCallback === 'function'
            ? fields.hitCallback
            : null;
    };

    var Tracker = function(name) {
        this.name = name;
        this.fields = {name: name};
    };
    Tracker.prototype.get = function(field) {
        return this.fields[field];
    };
    Tracker.prototype.set = function(field, value) {
        if (field && typeof field === 'object') {
            Object.assign(this.fields, field);
        } else {
            this.fields[field] = value;
        }
    };
    Tracker.prototype.send = function() {
        var callback = hitCallbackOf(arguments) || this.fields.hitCallback;
        if (typeof callback === 'function') {
            run(callback, null);
        }
    };

    var trackers = {};
    var DEFAULT_NAME = 't0';
    var trackerNamed = function(name) {
        name = name || DEFAULT_NAME;
        if (!trackers[name]) {
            trackers[name] = new Tracker(name);
        }
        return trackers[name];
    };

    // Command names read "[tracker.][plugin:]method"; plugins' methods do nothing.
    var execute = function(args) {
        if (typeof args[0] === 'function') {
            run(args[0], null, [trackerNamed()]);
            return;
        }
        if (typeof args[0] !== 'string') {
            return;
        }
        var command = args[0];
        var dot = command.indexOf('.');
        var tracker = dot < 0 ? DEFAULT_NAME : command.slice(0, dot);
        var method = dot < 0 ? command : command.slice(dot + 1);
        if (method === 'create') {
            // create(trackingId, cookieDomain, name, fields) or create(fields)
            var fields = args[args.length - 1];
            var trackerName = typeof args[3] === 'string' ? args[3] : undefined;
            if (fields && typeof fields === 'object' && typeof fields.name === 'string') {
                trackerName = fields.name;
            }
            trackerNamed(trackerName);
        } else if (method === 'send') {
            trackerNamed(tracker).send.apply(trackerNamed(tracker), args.slice(1));
        } else if (method === 'set') {
            trackerNamed(tracker).set(args[1], args[2]);
        } else if (method === 'remove') {
            delete trackers[tracker];
        }
    };

    var name = typeof window.GoogleAnalyticsObject === 'string' ? window.GoogleAnalyticsObject
                                                                  : 'ga';
    var previous = window[name];
    var queued = previous && Array.isArray(previous.q) ? previous.q : [];
    var ga = function() {
        execute(Array.prototype.slice.call(arguments));
    };
    // analytics.js marks itself loaded this way, and pages test for it.
    ga.answer = 42;
    ga.loaded = true;
    ga.l = previous && previous.l ? previous.l : Date.now();
    ga.create = function(trackingId, cookieDomain, trackerName) {
        return trackerNamed(typeof trackerName === 'string' ? trackerName : undefined);
    };
    ga.getByName = function(trackerName) {
        return trackers[trackerName] || null;
    };
    ga.getAll = function() {
        return Object.keys(trackers).map(function(key) {
            return trackers[key];
        });
    };
    ga.remove = function(trackerName) {
        delete trackers[trackerName];
    };
    ga.q = [];
    window[name] = ga;
    queued.forEach(function(args) {
        execute(Array.prototype.slice.call(args));
    });

    // --- gtm.js and gtag.js ---

    var onDataLayer = function(entry) {
        if (!entry || typeof entry !== 'object') {
            return;
        }
        if (typeof entry.eventCallback === 'function') {
            run(entry.eventCallback, null);
        }
        // gtag() pushes its arguments object: ('event', name, parameters).
        var parameters = entry[0] === 'event' ? entry[2] : null;
        if (parameters && typeof parameters.event_callback === 'function') {
            run(parameters.event_callback, null);
        }
    };

    var dataLayer = Array.isArray(window.dataLayer) ? window.dataLayer : [];
    var push = Array.prototype.push;
    dataLayer.push = function() {
        Array.prototype.forEach.call(arguments, onDataLayer);
        return push.apply(this, arguments);
    };
    dataLayer.forEach(onDataLayer);
    window.dataLayer = dataLayer;

    window.google_tag_manager = window.google_tag_manager || {};
    window.google_tag_data = window.google_tag_data || {};
    window.gaplugins = window.gaplugins || {};
    window.GoogleAnalyticsObject = name;
})();
