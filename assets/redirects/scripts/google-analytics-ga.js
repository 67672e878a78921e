// Stands in for the legacy Google Analytics library ga.js: the _gaq command
// queue and the _gat tracker factory accept everything and send nothing. Two
// things pages depend on keep working: functions pushed to _gaq run, and a
// hitCallback set on a tracker is called after each tracking call, so links
// and forms that wait for it still go on. _link() still navigates.
(function() {
    'use strict';
    var noop = function() {};

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

    var Tracker = function(account, name) {
        this.account = account || '';
        this.name = name || '';
        this.hitCallback = null;
    };
    // Methods that would send a hit.
    [
        '_trackPageview', '_trackEvent', '_trackTrans', '_trackSocial', '_trackTiming',
        '_trackPageLoadTime',
    ].forEach(function(method) {
        Tracker.prototype[method] = function() {
            if (typeof this.hitCallback === 'function') {
                run(this.hitCallback, null);
            }
        };
    });
    // Methods that only configure.
    [
        '_addIgnoredOrganic', '_addIgnoredRef', '_addItem', '_addOrganic', '_addTrans',
        '_clearIgnoredOrganic', '_clearIgnoredRef', '_clearOrganic', '_clearTrans',
        '_clearXKey', '_clearXValue', '_cookiePathCopy', '_deleteCustomVar', '_initData',
        '_linkByPost', '_require', '_setAccount', '_setAllowAnchor', '_setAllowHash',
        '_setAllowLinker', '_setCampContentKey', '_setCampMediumKey', '_setCampNOKey',
        '_setCampNameKey', '_setCampSourceKey', '_setCampTermKey', '_setCampaignCookieTimeout',
        '_setCampaignTrack', '_setClientInfo', '_setCookiePath', '_setCookiePersistence',
        '_setCookieTimeout', '_setCustomVar', '_setDetectFlash', '_setDetectTitle',
        '_setDomainName', '_setLocalGifPath', '_setLocalRemoteServerMode', '_setLocalServerMode',
        '_setMaxCustomVariables', '_setNamespace', '_setPageGroup', '_setReferrerOverride',
        '_setRemoteServerMode', '_setSampleRate', '_setSessionCookieTimeout', '_setSessionTimeout',
        '_setSiteSpeedSampleRate', '_setTrans', '_setTransactionDelim', '_setVar',
        '_setVisitorCookieTimeout', '_setXKey', '_setXValue',
    ].forEach(function(method) {
        Tracker.prototype[method] = noop;
    });
    Tracker.prototype._set = function(key, value) {
        if (key === 'hitCallback') {
            this.hitCallback = value;
        }
    };
    Tracker.prototype._get = function(key) {
        return key === 'hitCallback' ? this.hitCallback : undefined;
    };
    Tracker.prototype._getAccount = function() {
        return this.account;
    };
    Tracker.prototype._getName = function() {
        return this.name;
    };
    Tracker.prototype._getVersion = function() {
        return '5.7.2';
    };
    Tracker.prototype._getClientInfo = function() {
        return 1;
    };
    Tracker.prototype._getDetectFlash = function() {
        return false;
    };
    Tracker.prototype._getDetectTitle = function() {
        return true;
    };
    Tracker.prototype._getLinkerUrl = function(url) {
        return url;
    };
    Tracker.prototype._getLocalGifPath = function() {
        return '/__utm.gif';
    };
    Tracker.prototype._getServiceMode = function() {
        return 1;
    };
    Tracker.prototype._getVisitorCustomVar = function() {
        return undefined;
    };
    // _link(url) carries the visitor to another domain: the navigation is the
    // part the page needs.
    Tracker.prototype._link = function(url) {
        if (typeof url === 'string' && /^(https?:)?\/\//i.test(url)) {
            window.location.href = url;
        }
    };

    // Trackers by name; the default tracker has the empty name.
    var trackers = {};
    var trackerNamed = function(name, account) {
        name = name || '';
        if (!trackers[name]) {
            trackers[name] = new Tracker(account, name);
        }
        return trackers[name];
    };

    window._gat = {
        _anonymizeIp: noop,
        _forceSSL: noop,
        _createTracker: function(account, name) {
            return trackerNamed(name, account);
        },
        _getTracker: function(account) {
            return trackerNamed('', account);
        },
        _getTrackerByName: function(name) {
            return trackerNamed(name);
        },
        _getTrackers: function() {
            return Object.keys(trackers).map(function(name) {
                return trackers[name];
            });
        },
    };

    // A command is ['[tracker.]_method', arguments...] or a function run with
    // `this` set to _gat.
    var execute = function(command) {
        if (typeof command === 'function') {
            run(command, window._gat);
            return;
        }
        if (!Array.isArray(command) || typeof command[0] !== 'string') {
            return;
        }
        var dot = command[0].indexOf('.');
        var tracker = trackerNamed(dot < 0 ? '' : command[0].slice(0, dot));
        var method = tracker[dot < 0 ? command[0] : command[0].slice(dot + 1)];
        if (typeof method === 'function') {
            method.apply(tracker, command.slice(1));
        }
    };

    var queued = Array.isArray(window._gaq) ? window._gaq : [];
    window._gaq = {
        push: function() {
            Array.prototype.forEach.call(arguments, execute);
            return 0;
        },
        _createAsyncTracker: function(account, name) {
            return trackerNamed(name, account);
        },
        _getAsyncTracker: function(name) {
            return trackerNamed(name);
        },
    };
    queued.forEach(execute);
})();
